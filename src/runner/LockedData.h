#pragma once

#include <QByteArray>
#include <mutex>

// Every byte read so far from one output pipe, shared between the pipe's
// reader and the thread that collects the result.
class LockedData {
public:
    void append(const char *bytes, qsizetype size) {
        std::lock_guard lock(m_lock);
        m_data.append(bytes, size);
    }
    QByteArray data() const {
        std::lock_guard lock(m_lock);
        return m_data;
    }

private:
    mutable std::mutex m_lock;
    QByteArray m_data;
};
