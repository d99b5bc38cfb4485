#include "PlatformError.h"

#include "model/DebugText.h"

#include <cstring>

QString PlatformError::debugDescription() const {
    return u"Error Domain=" + domain + u" Code=" + QString::number(code) + u' ' +
           DebugText::quoted(description);
}

PlatformError PlatformError::fromErrno(int errnoValue, const QString &whatFailed) {
    return PlatformError{QStringLiteral("POSIX"), errnoValue,
                         whatFailed + u": " + QString::fromLocal8Bit(std::strerror(errnoValue))};
}
