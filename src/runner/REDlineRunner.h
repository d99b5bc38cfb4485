#pragma once

#include "REDlineError.h"
#include "model/ProResPreset.h"
#include "model/R3DMetadata.h"
#include "platform/PlatformError.h"
#include "runner/ProcessRunner.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>
#include <variant>

class TranscodeJob;
class ProgressBox;

// Why a conversion failed: one of the runner's own errors, or the platform's
// error when REDline could not be launched at all.
struct TranscodeError {
    std::variant<REDlineError, PlatformError> error;

    QString description() const;
    QString debugDescription() const;
};

// The movie a conversion wrote, or why there is none.
struct TranscodeResult {
    QUrl outputURL;
    std::optional<TranscodeError> error;

    bool succeeded() const { return !error.has_value(); }
};

// Converts one R3D file at a time by running REDline, and measures movies.
// Both operations run in the runner's own serial context (one worker
// thread), never on the main thread; their futures deliver on whatever
// context the caller continues on. Progress reaches the job through queued
// calls to the main thread.
class REDlineRunner : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds processTimeout{3600};
    static constexpr int failureTailLength = 800;

    explicit REDlineRunner(QObject *parent = nullptr);
    // Stops a conversion still running (termination request, then a kill
    // after the grace period) and waits for the worker.
    ~REDlineRunner() override;

    QFuture<TranscodeResult> transcode(TranscodeJob *job, ProResPreset preset,
                                       const QUrl &outputDirectory, const QString &redlinePath);
    QFuture<R3DMetadata> readMetadata(const QUrl &url);

    // REDline's 17 arguments for one conversion.
    static QStringList arguments(const QString &sourcePath, const QString &expectedName,
                                 const QString &outputDirectory, ProResPreset preset);

    // Hands one chunk's progress to the job when the gate lets it through.
    // Called on a reader thread: hands the chunk's progress to `deliver`
    // when the gate lets it through.
    static void reportProgress(const QString &chunk, ProgressBox &box,
                               const std::function<void(double)> &deliver);

    // The process settings every conversion uses (time limit, grace period);
    // tests shorten them.
    ProcessRunner processRunner;

private:
    // Main thread only: sets a job's progress if the job still exists.
    void applyProgress(const QUuid &jobId, double value);

    // Main thread only: the jobs that conversions report progress to. The
    // worker threads carry only a job's id, never the job itself.
    QHash<QUuid, QPointer<TranscodeJob>> m_progressTargets;
    QThreadPool m_context;
};
