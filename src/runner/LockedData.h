#pragma once

#include <QByteArray>
#include <QString>
#include <mutex>

// The tail of one output pipe: its last `limit` bytes (more are held until
// they are trimmed, never more than twice that). Shared between the pipe's reader and the
// thread that collects the result, so a chatty child costs bounded memory.
class LockedData {
public:
    explicit LockedData(qsizetype limit) : m_limit(limit) {}

    void append(const char *bytes, qsizetype size);
    // The last `limit` bytes as UTF-8 text, from the first character that
    // starts in them; a byte that is not UTF-8 reads as U+FFFD, so one bad
    // byte never hides the rest of REDline's message.
    QString text() const;
    QByteArray data() const {
        std::lock_guard lock(m_lock);
        return m_data;
    }

private:
    mutable std::mutex m_lock;
    const qsizetype m_limit;
    QByteArray m_data;
    bool m_cut = false;
};
