#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One worker thread that runs tasks one at a time, in the order they were
// submitted: the runner's own serial context. Destruction waits for every
// submitted task to finish.
class SerialExecutor {
public:
    SerialExecutor();
    ~SerialExecutor();
    SerialExecutor(const SerialExecutor &) = delete;
    SerialExecutor &operator=(const SerialExecutor &) = delete;

    void submit(std::function<void()> task);
    // Waits until every task submitted so far has finished, or until the
    // timeout; true when idle.
    bool waitForIdle(std::chrono::milliseconds timeout);

private:
    void loop();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_tasks;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once everything above exists
};
