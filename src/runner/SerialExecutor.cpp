#include "SerialExecutor.h"

SerialExecutor::SerialExecutor() : m_thread([this] { loop(); }) {
}

SerialExecutor::~SerialExecutor() {
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SerialExecutor::submit(std::function<void()> task) {
    {
        std::lock_guard lock(m_lock);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

bool SerialExecutor::waitForIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_lock);
    return m_idle.wait_for(lock, timeout, [this] { return m_tasks.empty() && !m_busy; });
}

void SerialExecutor::loop() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return; // stopping, and every task has run
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        task();
        task = nullptr; // destroyed here, on the worker
        lock.lock();
        m_busy = false;
        if (m_tasks.empty())
            m_idle.notify_all();
    }
}
