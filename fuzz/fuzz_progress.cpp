// parseProgress against the plain reading of its rule: all matches of each
// pattern, forward, the last one counts. The parser searches from the end
// instead; both must always agree.
#include "runner/ProgressParser.h"

#include <QRegularExpression>
#include <QString>
#include <cstdlib>
#include <limits>

namespace {

std::optional<double> reference(const QString &text) {
    static const QRegularExpression frame(
        QStringLiteral("frame complete\\.\\s+\\d+\\s+([0-9]*\\.?[0-9]+)"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression percent(QStringLiteral("(\\d+)%"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    const auto last = [&](const QRegularExpression &re) {
        QString captured;
        auto it = re.globalMatch(text);
        while (it.hasNext())
            captured = it.next().captured(1);
        return captured;
    };
    const auto number = [](const QString &digits, bool *ok) {
        double v = digits.toDouble(ok);
        bool ascii = !digits.isEmpty();
        for (QChar c : digits)
            ascii &= (c >= u'0' && c <= u'9') || c == u'.';
        if (!*ok && ascii) {
            *ok = true;
            v = std::numeric_limits<double>::infinity();
        }
        return v;
    };
    bool ok = false;
    if (const QString f = last(frame); !f.isEmpty()) {
        const double v = number(f, &ok);
        if (ok)
            return std::min(v, 1.0);
    }
    const QString p = last(percent);
    if (p.isEmpty())
        return std::nullopt;
    const double v = number(p, &ok);
    if (!ok)
        return std::nullopt;
    return std::min(v / 100.0, 1.0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto got = ProgressParser::parseProgress(text);
    const auto want = reference(text);
    if (got.has_value() != want.has_value() || (got && *got != *want))
        std::abort();
    if (got && !(*got >= 0.0 && *got <= 1.0))
        std::abort();
    return 0;
}
