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
    // "height", "frames" and "audio" once measured; "error" after a failure.
    static QJsonObject toJson(const TranscodeJob &job);
};
