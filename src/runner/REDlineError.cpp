#include "REDlineError.h"

#include "model/DebugText.h"

namespace {

// The descriptions, as the English source texts of their translations.
constexpr const char *kNotFound =
    QT_TRANSLATE_NOOP("UserText", "REDline not found at:\n%1\n\nPlease install REDCINE-X "
                                  "Professional.");
constexpr const char *kExited = QT_TRANSLATE_NOOP("UserText", "REDline exited with code %1:\n%2");
constexpr const char *kUnreadable =
    QT_TRANSLATE_NOOP("UserText", "Conversion finished but the movie it wrote cannot be "
                                  "played (%1): %2\nThe movie was kept.");
constexpr const char *kNoMovie = QT_TRANSLATE_NOOP(
    "UserText", "Conversion finished but no output .mov was found in the destination folder.");

} // namespace

UserText REDlineError::wording() const {
    switch (m_case) {
    case Case::executableNotFound:
        return UserText(kNotFound, {m_text});
    case Case::processFailure:
        return UserText(kExited, {QString::number(m_status), m_text});
    case Case::outputDirectoryMissing:
        return noOutputFolder(true);
    case Case::outputFileMissing:
        return UserText(kNoMovie);
    case Case::outputUnreadable:
        return UserText(kUnreadable, {m_text.section(u'\n', 0, 0), m_text.section(u'\n', 1)});
    }
    return {};
}

UserText REDlineError::noOutputFolder(bool destination) {
    UserText text(destination
                      ? QT_TRANSLATE_NOOP("UserText",
                                          "No output folder selected. Tap 'Change' to pick a "
                                          "destination.")
                      : QT_TRANSLATE_NOOP("UserText",
                                          "No output folder selected. Tap 'Change' to pick one."));
#ifndef Q_OS_MACOS
    text.shownAs(destination ? QT_TRANSLATE_NOOP("UserText", "No output folder selected. Click "
                                                             "'Change' to pick a destination.")
                             : QT_TRANSLATE_NOOP("UserText", "No output folder selected. Click "
                                                             "'Change' to pick one."));
#endif
    return text;
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
