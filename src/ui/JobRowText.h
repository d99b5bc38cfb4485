#pragma once

#include "JobRowAction.h"

#include <QCoreApplication>
#include <QString>

class TranscodeJob;

// The texts a job's row shows, shared by the list model, the row painter and
// accessibility.
class JobRowText {
    Q_DECLARE_TR_FUNCTIONS(JobRowText)

public:
    // The file name without its last extension (A001_C002.R3D reads A001_C002).
    static QString name(const TranscodeJob &job);
    // "waiting", "converting 42%", "✓ done", …
    static QString badgeText(const TranscodeJob &job);
    // "1.2 GB → 430 MB  (64% smaller)"
    static QString sizeText(const TranscodeJob &job);
    // The message under the row: why a failed job failed, or why the last
    // manual hand-off of a finished job failed; empty otherwise.
    static QString noticeText(const TranscodeJob &job);
    // A button's title, also its accessible name and action name.
    static QString actionName(JobRowAction action);
};
