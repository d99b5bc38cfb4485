#pragma once

#include <QByteArray>
#include <QString>

// The tail of one output stream: its last `limit` bytes (more are held until
// they are trimmed, never more than twice that), so a chatty child costs
// bounded memory.
class OutputTail {
public:
    explicit OutputTail(qsizetype limit) : m_limit(limit) {}

    void append(const char *bytes, qsizetype size);
    // The last `limit` bytes as UTF-8 text, from the first character that
    // starts in them; a byte that is not UTF-8 reads as U+FFFD, so one bad
    // byte never hides the rest of a message.
    QString text() const;

private:
    qsizetype m_limit;
    QByteArray m_data;
    bool m_cut = false;
};
