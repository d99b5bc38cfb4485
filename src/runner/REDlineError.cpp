#include "REDlineError.h"

#include "model/DebugText.h"

#include <QRegularExpression>
#include <array>

namespace {

// The descriptions with details, as the English source texts of their
// translations; shown() recognises a message by its fixed parts.
constexpr const char *kNotFound =
    QT_TRANSLATE_NOOP("REDlineError", "REDline not found at:\n%1\n\nPlease install REDCINE-X "
                                      "Professional.");
constexpr const char *kExited =
    QT_TRANSLATE_NOOP("REDlineError", "REDline exited with code %1:\n%2");
constexpr const char *kUnreadable =
    QT_TRANSLATE_NOOP("REDlineError", "Conversion finished but the movie it wrote cannot be "
                                      "played (%1): %2\nThe movie was kept.");
constexpr const char *kNoMovie = QT_TRANSLATE_NOOP(
    "REDlineError", "Conversion finished but no output .mov was found in the destination folder.");

constexpr std::array<const char *, 4> kShownPatterns{kNotFound, kExited, kUnreadable, kNoMovie};

// What matches `pattern` filled in: its fixed parts, %1 as short as it can
// be, %2 the rest.
QRegularExpression matcher(const char *pattern) {
    static const QRegularExpression placeholder(QStringLiteral("%[12]"));
    const QString text = QString::fromUtf8(pattern);
    QString expression;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : placeholder.globalMatch(text)) {
        expression += QRegularExpression::escape(text.mid(from, m.capturedStart() - from)) +
                      QLatin1String(m.captured() == u"%1" ? "(.*?)" : "(.*)");
        from = m.capturedEnd();
    }
    expression += QRegularExpression::escape(text.mid(from));
    return QRegularExpression(QRegularExpression::anchoredPattern(expression),
                              QRegularExpression::DotMatchesEverythingOption);
}

} // namespace

QString REDlineError::description() const {
    const auto fill = [](const char *pattern) { return QString::fromUtf8(pattern); };
    switch (m_case) {
    case Case::executableNotFound:
        return fill(kNotFound).arg(m_text);
    case Case::processFailure:
        return fill(kExited).arg(QString::number(m_status), m_text);
    case Case::outputDirectoryMissing:
        return QStringLiteral("No output folder selected. Tap 'Change' to pick a destination.");
    case Case::outputFileMissing:
        return fill(kNoMovie);
    case Case::outputUnreadable:
        return fill(kUnreadable).arg(m_text.section(u'\n', 0, 0), m_text.section(u'\n', 1));
    }
    return {};
}

QString REDlineError::shown(const QString &message) {
    static const std::array<QRegularExpression, kShownPatterns.size()> matchers{
        matcher(kShownPatterns[0]), matcher(kShownPatterns[1]), matcher(kShownPatterns[2]),
        matcher(kShownPatterns[3])};
    for (std::size_t i = 0; i < kShownPatterns.size(); ++i) {
        const QRegularExpressionMatch match = matchers[i].match(message);
        if (!match.hasMatch())
            continue;
        QString text = tr(kShownPatterns[i]);
        if (match.lastCapturedIndex() == 1)
            text = text.arg(match.captured(1));
        else if (match.lastCapturedIndex() == 2)
            text = text.arg(match.captured(1), match.captured(2));
        return text;
    }
    return message;
}

QString REDlineError::debugDescription() const {
    switch (m_case) {
    case Case::executableNotFound:
        return u"executableNotFound(" + DebugText::quoted(m_text) + u')';
    case Case::processFailure:
        return u"processFailure(" + QString::number(m_status) + u", " + DebugText::quoted(m_text) +
               u')';
    case Case::outputDirectoryMissing:
        return QStringLiteral("outputDirectoryMissing");
    case Case::outputFileMissing:
        return QStringLiteral("outputFileMissing");
    case Case::outputUnreadable:
        return u"outputUnreadable(" + DebugText::quoted(m_text.section(u'\n', 1)) + u", " +
               DebugText::quoted(m_text.section(u'\n', 0, 0)) + u')';
    }
    return {};
}
