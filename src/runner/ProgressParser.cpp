#include "ProgressParser.h"

#include <QRegularExpression>
#include <algorithm>
#include <limits>

namespace {

// Unicode-aware like the platform's own matcher: \s and \d also match other
// scripts' spaces and digits.
constexpr auto kOptions = QRegularExpression::UseUnicodePropertiesOption;

const QRegularExpression &framePattern() {
    static const QRegularExpression re(
        QStringLiteral("frame complete\\.\\s+\\d+\\s+([0-9]*\\.?[0-9]+)"), kOptions);
    return re;
}

// The first capture of the last match of the frame pattern, or an empty
// view. Every match begins with the literal "frame complete." and matches
// cannot overlap, so the last match starts at the last occurrence of that
// literal where the whole pattern matches: search from the end instead of
// walking every match of a long chunk.
QStringView lastFrameCapture(QStringView text) {
    static const QString literal = QStringLiteral("frame complete.");
    const QRegularExpression &re = framePattern();
    if (!re.isValid())
        return {};
    qsizetype from = text.size();
    while (from > 0) {
        const qsizetype at = text.lastIndexOf(literal, from - 1);
        if (at < 0)
            break;
        const auto m = re.match(text, at, QRegularExpression::NormalMatch,
                                QRegularExpression::AnchorAtOffsetMatchOption);
        if (m.hasMatch())
            return m.capturedView(1);
        from = at;
    }
    return {};
}

// The digits of the last "<digits>%" match, or an empty view: the last "%"
// that directly follows a digit, with the whole run of digits before it (a
// forward scan would have started its match at the beginning of that run).
QStringView lastPercentCapture(QStringView text) {
    const auto isDigitBefore = [&](qsizetype end, qsizetype *start) {
        // The code point that ends at `end`, which may be a surrogate pair.
        if (end <= 0)
            return false;
        char32_t c = text[end - 1].unicode();
        qsizetype begin = end - 1;
        if (QChar::isLowSurrogate(c) && begin > 0 && text[begin - 1].isHighSurrogate()) {
            c = QChar::surrogateToUcs4(text[begin - 1], text[begin]);
            --begin;
        }
        if (!QChar::isDigit(c))
            return false;
        *start = begin;
        return true;
    };
    qsizetype from = text.size();
    while (from > 0) {
        const qsizetype percent = text.lastIndexOf(u'%', from - 1);
        if (percent < 0)
            break;
        qsizetype start = percent;
        qsizetype begin = 0;
        while (isDigitBefore(start, &begin))
            start = begin;
        if (start < percent)
            return text.mid(start, percent - start);
        from = percent;
    }
    return {};
}

// A run of ASCII digits and at most one full stop, as both patterns capture.
// Such a number too large for a double reads as infinity, not as nothing.
double readNumber(QStringView digits, bool *ok) {
    double value = digits.toDouble(ok);
    if (!*ok && !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return (c >= u'0' && c <= u'9') || c == u'.';
        })) {
        *ok = true;
        value = std::numeric_limits<double>::infinity();
    }
    return value;
}

} // namespace

std::optional<double> ProgressParser::parseProgress(QStringView chunk) {
    bool ok = false;
    const QStringView frame = lastFrameCapture(chunk);
    if (!frame.isEmpty()) {
        const double value = readNumber(frame, &ok);
        if (ok)
            return std::min(value, 1.0);
    }
    const QStringView percent = lastPercentCapture(chunk);
    if (percent.isEmpty())
        return std::nullopt;
    const double value = readNumber(percent, &ok);
    if (!ok)
        return std::nullopt;
    return std::min(value / 100.0, 1.0);
}
