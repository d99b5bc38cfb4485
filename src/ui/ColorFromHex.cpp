#include "ColorFromHex.h"

#include <limits>

QColor colorFromHex(QStringView text) {
    const auto isLetterOrDigit = [](QChar c) { return c.isLetterOrNumber(); };
    qsizetype begin = 0, end = text.size();
    while (begin < end && !isLetterOrDigit(text[begin]))
        ++begin;
    while (end > begin && !isLetterOrDigit(text[end - 1]))
        --end;

    quint64 value = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text[i].unicode();
        const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                          : c >= u'a' && c <= u'f' ? c - u'a' + 10
                          : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                   : -1;
        if (digit < 0)
            break;
        if (value > (std::numeric_limits<quint64>::max() >> 4)) {
            value = std::numeric_limits<quint64>::max(); // saturates, like a scanner's overflow
            break;
        }
        value = (value << 4) | quint64(digit);
    }
    return QColor::fromRgbF(float((value >> 16) & 0xff) / 255.0f,
                            float((value >> 8) & 0xff) / 255.0f, float(value & 0xff) / 255.0f,
                            1.0f);
}
