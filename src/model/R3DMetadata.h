#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// One audio track of a movie.
struct AudioTrack {
    int channels = 0;
    int sampleRate = 0;

    friend bool operator==(const AudioTrack &, const AudioTrack &) = default;
};

// What was measured in a converted movie. A plain value, always copied.
struct R3DMetadata {
    // Whole frames per second, as shown to people.
    qint64 frameRate = 24;
    qint64 width = 4096;
    qint64 height = 2160;
    // Frames in the movie (its video track's count, else its length at the
    // exact rate).
    qint64 frameCount = 0;
    // The timecode track's start; ";" before the frames when it counts
    // drop-frame.
    QString startTimecode = QStringLiteral("00:00:00:00");
    // The timecode track's source name.
    QString reelName;
    bool hasAudio = false;

    // The exact frame rate, rateNumerator / rateDenominator frames per
    // second (24000/1001, 24/1, 25/1, ...); 0/0 when it could not be read.
    qint64 rateNumerator = 0;
    qint64 rateDenominator = 0;
    // Whether the movie has a timecode track, and where it starts, counted
    // in frames of the exact rate.
    bool hasTimecode = false;
    bool dropFrame = false;
    qint64 startFrame = 0;
    // Each audio track, in the movie's order.
    QList<AudioTrack> audioTracks;
    // "<primaries>-<transfer>-<matrix>" from the video track's colour tags
    // when all three are given, else empty.
    QString colorTags;

    bool hasExactRate() const { return rateNumerator > 0 && rateDenominator > 0; }

    // The record used whenever nothing could be measured.
    static R3DMetadata fallback() { return R3DMetadata{}; }

    friend bool operator==(const R3DMetadata &, const R3DMetadata &) = default;
};
