#pragma once

#include <QString>
#include <QtGlobal>

// What was measured in a converted movie. A plain value, always copied.
struct R3DMetadata {
    qint64 frameRate = 24;
    qint64 width = 4096;
    qint64 height = 2160;
    qint64 frameCount = 0;
    QString startTimecode = QStringLiteral("00:00:00:00");
    QString reelName;
    bool hasAudio = false;

    // The record used whenever nothing could be measured.
    static R3DMetadata fallback() { return R3DMetadata{}; }

    friend bool operator==(const R3DMetadata &, const R3DMetadata &) = default;
};
