#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <mutex>
#include <vector>

// The tail of one output pipe: its last `limit` bytes (more are held until
// they are trimmed, never more than twice that), and whether the whole
// stream so far is valid UTF-8. Shared between the pipe's reader and the
// thread that collects the result, so a chatty child costs bounded memory.
class LockedData {
public:
    explicit LockedData(qsizetype limit) : m_limit(limit) {}

    void append(const char *bytes, qsizetype size);
    // The last `limit` bytes as UTF-8 text, from the first character that
    // starts in them; the empty text when the stream held anything that is
    // not valid UTF-8 (also in the part no longer kept).
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
    // Reads the whole stream once, across chunk boundaries, to judge it.
    QStringDecoder m_checker{QStringDecoder::Utf8};
    std::vector<QChar> m_scratch;
};
