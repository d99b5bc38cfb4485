#include "OutputTail.h"

#include <QStringDecoder>
#include <algorithm>

void OutputTail::append(const char *bytes, qsizetype size) {
    m_data.append(bytes, size);
    // Trimmed now and then rather than at every chunk, back to the last
    // `limit` bytes; text() cuts at a character boundary.
    if (m_data.size() > 2 * m_limit) {
        m_data.remove(0, m_data.size() - m_limit);
        m_cut = true;
    }
}

QString OutputTail::text() const {
    // The last `limit` bytes, from a character boundary.
    qsizetype from = std::max<qsizetype>(0, m_data.size() - m_limit);
    const bool cut = m_cut || from > 0;
    for (int i = 0; i < 3 && cut && from < m_data.size() && (uchar(m_data[from]) & 0xC0) == 0x80;
         ++i)
        ++from;
    // A byte-order mark is dropped only at the very start of the stream.
    QStringDecoder decoder(QStringDecoder::Utf8, cut ? QStringDecoder::Flag::Stateless |
                                                           QStringDecoder::Flag::ConvertInitialBom
                                                     : QStringDecoder::Flag::Stateless);
    return decoder.decode(QByteArrayView(m_data).sliced(from));
}
