#pragma once

#include <QMetaType>

// The state of one job on its way through the queue.
enum class JobStatus {
    queued,     // waiting; the only state in which a run picks a job
    converting, // REDline is converting it now
    done,       // converted, not yet handed to Final Cut Pro
    sentToFCP,  // converted and handed to Final Cut Pro
    failed,     // conversion or automatic hand-off failed; errorMessage says why
};

Q_DECLARE_METATYPE(JobStatus)
