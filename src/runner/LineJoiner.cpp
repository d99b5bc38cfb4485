#include "LineJoiner.h"

#include "platform/ProcessRunner.h"

namespace {

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// How many bytes at the end begin a UTF-8 character that is not complete.
qsizetype cutCharacter(const QByteArray &bytes) {
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= std::min<qsizetype>(4, size); ++back) {
        const auto c = static_cast<unsigned char>(bytes[size - back]);
        if ((c & 0xC0) == 0x80)
            continue; // a continuation byte: the lead is further back
        const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

} // namespace

QString LineJoiner::feed(QByteArrayView bytes, bool *valid) {
    QByteArray joined = m_tail + bytes.toByteArray();
    // The next read continues the line after the last line break.
    const qsizetype lineEnd = std::max(joined.lastIndexOf('\n'), joined.lastIndexOf('\r'));
    m_tail = joined.mid(lineEnd + 1);
    if (m_tail.size() > maxTail) {
        m_tail = m_tail.right(maxTail);
        qsizetype start = 0;
        while (start < m_tail.size() && isContinuation(m_tail[start]))
            ++start;
        m_tail.remove(0, start);
    }
    joined.chop(cutCharacter(joined));
    // A number at the very end may go on in the next read ("0.2" of
    // "0.25"): it is searched once it is whole.
    if (lineEnd < joined.size() - 1) {
        qsizetype end = joined.size();
        while (end > lineEnd + 1 &&
               ((joined[end - 1] >= '0' && joined[end - 1] <= '9') || joined[end - 1] == '.'))
            --end;
        joined.truncate(end);
    }
    return ProcessRunner::decodeUtf8(joined, valid);
}
