#pragma once

#include "model/UserText.h"

#include <QString>
#include <optional>

// An error reported by the operating system or a platform library, passed on
// unchanged: its domain, its code and a description fit for the user.
struct PlatformError {
    QString domain;
    int code = 0;
    QString description;
    // The description as Tarnel worded it, when it did, for showing in the
    // user's language; none when it holds the system's own words.
    std::optional<UserText> text{};

    // The one-line debug form: Error Domain=<domain> Code=<code> "<description>".
    QString debugDescription() const;

    // An errno value from a POSIX call, with a sentence naming what failed.
    static PlatformError fromErrno(int errnoValue, const QString &whatFailed);
    // An error Tarnel words: its description is the text's English.
    static PlatformError worded(const QString &domain, int code, const UserText &text) {
        return PlatformError{domain, code, text.english(), text};
    }
};
