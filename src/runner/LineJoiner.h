#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Joins each read of one output stream with the unfinished line the read
// before it ended in, so that a progress line cut between two reads (or a
// character cut between its bytes) is searched whole. The unfinished line is
// kept up to maxTail bytes: a stream that never ends a line cannot make it
// grow without bound.
class LineJoiner {
public:
    static constexpr qsizetype maxTail = 4096;

    // The text to search after this read: the kept unfinished line and the
    // read's bytes, decoded as UTF-8. A character or a number cut at the
    // read's end waits for the next read; bytes that are not UTF-8 give the
    // empty text with *valid false, until a line break leaves them behind.
    QString feed(QByteArrayView bytes, bool *valid);

private:
    QByteArray m_tail;
};
