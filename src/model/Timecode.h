#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// SMPTE timecode arithmetic: "HH:MM:SS:FF" (or "HH:MM:SS;FF" for drop-frame)
// at a whole counting rate.
class Timecode {
public:
    // The frame number a timecode names, counted from 00:00:00:00 at
    // `framesPerSecond` (the timecode's whole counting rate: 24, 30, 60...).
    // Drop-frame timecode skips frame numbers 0 and 1 (0 to 3 at 60) at the
    // start of every minute except every tenth. None for a text that is not
    // a timecode, a field out of range, or a frame number a drop-frame count
    // skips.
    static std::optional<qint64> frameNumber(const QString &text, qint64 framesPerSecond,
                                             bool dropFrame);
};
