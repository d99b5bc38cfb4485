#include "REDlineError.h"

#include "model/DebugText.h"

QString REDlineError::description() const {
    switch (m_case) {
    case Case::executableNotFound:
        return u"REDline not found at:\n" + m_text + u"\n\nPlease install REDCINE-X Professional.";
    case Case::processFailure:
        return u"REDline exited with code " + QString::number(m_status) + u":\n" + m_text;
    case Case::outputDirectoryMissing:
        return QStringLiteral("No output folder selected. Tap 'Change' to pick a destination.");
    case Case::outputFileMissing:
        return QStringLiteral(
            "Conversion finished but no output .mov was found in the destination folder.");
    case Case::outputUnreadable:
        return u"Conversion finished but the movie it wrote cannot be played (" +
               m_text.section(u'\n', 0, 0) + u"): " + m_text.section(u'\n', 1) +
               u"\nThe movie was kept.";
    }
    return {};
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
