#pragma once

#include "model/UserText.h"

#include <QString>

// The runner's own failures, each with a fixed description for the user.
class REDlineError {
public:
    enum class Case {
        executableNotFound,
        processFailure,
        outputDirectoryMissing,
        outputFileMissing,
        outputUnreadable
    };

    static REDlineError executableNotFound(const QString &path) {
        return REDlineError(Case::executableNotFound, path, 0);
    }
    static REDlineError processFailure(qint32 status, const QString &text) {
        return REDlineError(Case::processFailure, text, status);
    }
    static REDlineError outputDirectoryMissing() {
        return REDlineError(Case::outputDirectoryMissing, {}, 0);
    }
    static REDlineError outputFileMissing() { return REDlineError(Case::outputFileMissing, {}, 0); }
    // REDline exited 0, but the movie it left cannot be played: `path` and
    // why ("no video track", "cut short", ...).
    static REDlineError outputUnreadable(const QString &path, const QString &why) {
        return REDlineError(Case::outputUnreadable, why + u'\n' + path, 0);
    }

    Case kind() const { return m_case; }
    // The REDline path of executableNotFound, the text of processFailure,
    // the reason, a line feed and the movie's path of outputUnreadable.
    QString text() const { return m_text; }
    qint32 status() const { return m_status; }

    // What the user reads, in English: a job's error message, also written
    // to the debug log.
    QString description() const { return wording().english(); }
    // The description as a text the window and tarnel-cli show in the user's
    // language (REDline's own words and paths as they are).
    UserText wording() const;
    // "No output folder selected. Tap 'Change' to pick one." (or "… a
    // destination."), shown in the platform's words ("Click" on Linux).
    static UserText noOutputFolder(bool destination);
    // The case name with its payload on one line, e.g.
    // processFailure(3, "tail of standard error").
    QString debugDescription() const;

    friend bool operator==(const REDlineError &, const REDlineError &) = default;

private:
    REDlineError(Case c, QString text, qint32 status)
        : m_case(c), m_text(std::move(text)), m_status(status) {}

    Case m_case;
    QString m_text;
    qint32 m_status;
};
