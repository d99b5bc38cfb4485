#include "ByteCountFormatter.h"

#include <QLocale>
#include <array>

namespace {

struct Unit {
    const char16_t *name;
    int fractionDigits;
};

constexpr std::array<Unit, 6> kUnits{{
    {u"KB", 0},
    {u"MB", 1},
    {u"GB", 2},
    {u"TB", 2},
    {u"PB", 2},
    {u"EB", 2},
}};

quint64 power10(int exponent) {
    quint64 value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

} // namespace

QString ByteCountFormatter::fileSize(qint64 bytes, const QLocale &locale) {
    return format(bytes, locale, true);
}

QString ByteCountFormatter::logText(qint64 bytes) {
    return format(bytes, QLocale::c(), false);
}

QString ByteCountFormatter::format(qint64 bytes, const QLocale &locale, bool translated) {
    const auto text = [translated](const char *english) {
        return translated ? tr(english) : QString::fromLatin1(english);
    };
    if (bytes == 0)
        return text(QT_TR_NOOP("Zero KB"));
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    // Magnitude without overflow, also for the most negative value.
    const quint64 magnitude = bytes < 0 ? quint64(0) - quint64(bytes) : quint64(bytes);
    if (magnitude < 1000)
        return sign + (magnitude == 1 ? text(QT_TR_NOOP("1 byte"))
                                      : text(QT_TR_NOOP("%1 bytes")).arg(magnitude));

    // Integer arithmetic throughout, so 3,550,000,000 reads 3.55 and not 3.54.
    quint64 unitSize = 1000;
    for (std::size_t i = 0; i < kUnits.size(); ++i, unitSize *= 1000) {
        const int digits = kUnits[i].fractionDigits;
        const quint64 step = unitSize / power10(digits); // value of the last shown digit
        const quint64 scaled = magnitude / step + ((magnitude % step) * 2 >= step ? 1 : 0);
        const bool lastUnit = i + 1 == kUnits.size();
        if (scaled >= 1000 * power10(digits) && !lastUnit)
            continue; // rounds up into the next unit
        QString number = QString::number(scaled / power10(digits));
        quint64 fraction = scaled % power10(digits);
        int shown = digits;
        while (shown > 0 && fraction % 10 == 0) {
            fraction /= 10;
            --shown;
        }
        if (shown > 0)
            number += locale.decimalPoint() +
                      QStringLiteral("%1").arg(fraction, shown, 10, QLatin1Char('0'));
        return sign + number + u' ' + QString::fromUtf16(kUnits[i].name);
    }
    return QString(); // not reached: the last unit always returns
}
