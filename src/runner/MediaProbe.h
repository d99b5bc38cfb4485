#pragma once

#include "model/R3DMetadata.h"

#include <QString>

// Measures a QuickTime movie from its header alone (no pass over the media
// data): the first video track's picture size, exact frame rate, frame count
// and colour tags; the timecode track's start and reel name; each audio
// track's channels and sample rate. Anything that cannot
// be read takes its fallback value; this never fails. Only a regular file is
// read: a link, a pipe or a device at the path gives the fallback record at
// once, without blocking.
class MediaProbe {
public:
    static R3DMetadata readMetadata(const QString &path);
    // Why the movie at `path` cannot be played, in a few words ("no video
    // track", "cut short", ...), or the empty text when it can: it opens as
    // a QuickTime movie, has a video track with frames, every track's frames
    // lie within the file, and the first video frame can be read. Reads the
    // header and one frame only.
    static QString unreadableReason(const QString &path);
};
