#pragma once

#include <QString>

// An error reported by the operating system or a platform library, passed on
// unchanged: its domain, its code and a description fit for the user.
struct PlatformError {
    QString domain;
    int code = 0;
    QString description;

    // The one-line debug form: Error Domain=<domain> Code=<code> "<description>".
    QString debugDescription() const;

    // An errno value from a POSIX call, with a sentence naming what failed.
    static PlatformError fromErrno(int errnoValue, const QString &whatFailed);
};
