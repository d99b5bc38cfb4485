// The order in which intake lists clips: for any three names it must be a
// strict total order (sorting with anything less can scramble or overrun a
// list), and it must agree with the numbers in the names.
#include "model/NaturalOrder.h"

#include <QStringList>
#include <cstdlib>

namespace {

int sign(int v) {
    return (v > 0) - (v < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // Three names separated by 0xFF, which never occurs in UTF-8.
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))
            .split('\xff');
    if (parts.size() != 3)
        return 0;
    const QString a = QString::fromUtf8(parts[0]), b = QString::fromUtf8(parts[1]),
                  c = QString::fromUtf8(parts[2]);
    const int ab = sign(NaturalOrder::compare(a, b)), bc = sign(NaturalOrder::compare(b, c)),
              ac = sign(NaturalOrder::compare(a, c));
    if (NaturalOrder::compare(a, a) != 0 || ab != -sign(NaturalOrder::compare(b, a)) ||
        (ab == 0) != (a == b))
        std::abort(); // not antisymmetric, or equal names that differ
    if (ab == bc && ab != 0 && ac != ab)
        std::abort(); // not transitive
    // A name with a number appended sorts by that number.
    const QString n1 = a + QString::number(size), n2 = a + QString::number(size * 10 + 1);
    if (!NaturalOrder::less(n1, n2))
        std::abort();
    return 0;
}
