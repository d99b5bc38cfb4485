#pragma once

#include "model/JobStatus.h"

#include <QJsonObject>
#include <QString>

class TranscodeJob;

// A job as a JSON object, for readers that are programs rather than people:
// the command line's --json events and the state file the application
// writes for the demo and its test.
class JobReport {
public:
    // The state's name as written in the code: "queued", "converting",
    // "done", "sentToFCP", "failed".
    static QString statusName(JobStatus status);

    // "file", "status" and "sourceBytes" always; "movie" and "movieBytes"
    // once converted; "seconds" once finished; "frameRate", "width",
    // "height", "frames", "audio" and "audioTracks" (channels and
    // sampleRate of each) once measured, with "rate" (exact, "24000/1001"),
    // "timecode" and "dropFrame", and "reel" when the movie has them;
    // "error" after a failure, with "handOffFailed" when the clip was
    // converted but not handed to Final Cut Pro.
    static QJsonObject toJson(const TranscodeJob &job);
};
