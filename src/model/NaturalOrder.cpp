#include "NaturalOrder.h"

namespace {

bool isDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// The end of the run of digits that starts at `i`.
qsizetype digitsEnd(const QString &s, qsizetype i) {
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return i;
}

// The first digit of the run [i, end) that is not a leading zero (the last
// one when all are zeros).
qsizetype significant(const QString &s, qsizetype i, qsizetype end) {
    while (i + 1 < end && s[i] == u'0')
        ++i;
    return i;
}

} // namespace

int NaturalOrder::compare(const QString &a, const QString &b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const qsizetype endA = digitsEnd(a, i), endB = digitsEnd(b, j);
            const qsizetype sigA = significant(a, i, endA), sigB = significant(b, j, endB);
            // More significant digits is the larger number; equally many
            // compare digit by digit.
            if (endA - sigA != endB - sigB)
                return endA - sigA < endB - sigB ? -1 : 1;
            for (qsizetype k = 0; k < endA - sigA; ++k) {
                if (a[sigA + k] != b[sigB + k])
                    return a[sigA + k] < b[sigB + k] ? -1 : 1;
            }
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Equal but for leading zeros or case: the plain text decides.
    return QString::compare(a, b);
}
