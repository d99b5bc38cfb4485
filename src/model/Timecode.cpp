#include "Timecode.h"

#include <QRegularExpression>

std::optional<qint64> Timecode::frameNumber(const QString &text, qint64 framesPerSecond,
                                            bool dropFrame) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,3}):(\\d\\d):(\\d\\d)[:;.,](\\d{1,3})$"));
    const auto m = form.match(text);
    if (!m.hasMatch() || framesPerSecond <= 0)
        return std::nullopt;
    const qint64 hours = m.captured(1).toLongLong(), minutes = m.captured(2).toLongLong(),
                 seconds = m.captured(3).toLongLong(), frames = m.captured(4).toLongLong();
    if (minutes > 59 || seconds > 59 || frames >= framesPerSecond)
        return std::nullopt;
    const qint64 totalMinutes = hours * 60 + minutes;
    qint64 number = (totalMinutes * 60 + seconds) * framesPerSecond + frames;
    if (dropFrame) {
        // Two numbers per 30 frames a second are left out each minute,
        // except in minutes 0, 10, 20, ...
        const qint64 dropped = framesPerSecond / 30 * 2;
        if (dropped == 0 || framesPerSecond % 30 != 0)
            return std::nullopt;
        if (seconds == 0 && minutes % 10 != 0 && frames < dropped)
            return std::nullopt;
        number -= dropped * (totalMinutes - totalMinutes / 10);
    }
    return number;
}
