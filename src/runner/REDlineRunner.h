#pragma once

#include "OutputDiscovery.h"
#include "REDlineError.h"
#include "SerialExecutor.h"
#include "model/ProResPreset.h"
#include "model/R3DMetadata.h"
#include "platform/PlatformError.h"
#include "runner/ProcessRunner.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QUuid>
#include <any>
#include <functional>
#include <mutex>
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
// thread), never on the main thread. Results come back to the main thread:
// the `done` callback runs there, later, unless `receiver` is gone by then.
// Progress reaches the job through queued calls to the main thread.
//
// Nothing that belongs to the main thread (jobs, receivers, callbacks) is
// handed to the worker: it gets plain values and a ticket, and posts the
// ticket back with the result.
class REDlineRunner : public QObject {
    Q_OBJECT

public:
    // A REDline silent this long (no progress, no message) is asked to stop.
    static constexpr std::chrono::seconds processTimeout{3600};
    static constexpr int failureTailLength = 800;

    explicit REDlineRunner(QObject *parent = nullptr);
    // Stops a conversion still running (termination request, then a kill
    // after the grace period) and waits for the worker.
    ~REDlineRunner() override;

    using TranscodeDone = std::function<void(const TranscodeResult &)>;
    using MetadataDone = std::function<void(const R3DMetadata &)>;

    // Converts the job's source into `outputDirectory`, asking REDline for a
    // movie named `outputName` (see outputName()). Only a movie that is new
    // or changed since `before` (the output folder noted just before the
    // call; noted by the runner right before REDline starts when absent) can
    // be the result, and only one that can be played: a movie cut short or
    // without video fails the conversion (outputUnreadable) and is kept.
    void transcode(TranscodeJob *job, const QString &outputName, ProResPreset preset,
                   const QUrl &outputDirectory, const QString &redlinePath, QObject *receiver,
                   TranscodeDone done,
                   std::optional<OutputDiscovery::Snapshot> before = std::nullopt);
    void readMetadata(const QUrl &url, QObject *receiver, MetadataDone done);

    // Stops the conversion in progress, if any: asks REDline to terminate
    // (and kills it if it is still running a grace period later), or kills it
    // at once when `immediately` is set. The conversion then ends with
    // REDline's exit status like any other failure. Does not wait.
    void stop(bool immediately = false);

    // The movie's name without extension for a source: "<base>_tarnel", and
    // for `number` 2, 3, … "<base>_2_tarnel", "<base>_3_tarnel", …; named
    // `likeClip`, "<base>", "<base>_2", ….
    static QString outputName(const QString &sourcePath, int number = 1, bool likeClip = false);
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
    // Runs `work` in the serial context and hands its result to `deliver` on
    // the main thread.
    template <typename Result, typename Work>
    void submit(Work work, QObject *receiver, std::function<void(const Result &)> done);
    // From any thread: runs `call` on the main thread, later. Posts from the
    // worker and both pipe readers go through one lock, so they are ordered
    // in a way the thread sanitizer can check as well.
    void postToMainThread(std::function<void()> call);
    // Main thread only: delivers a finished ticket's result.
    void complete(quint64 ticket, const std::any &result);
    // Main thread only: raises a job's progress if the job still exists.
    void applyProgress(const QUuid &jobId, double value);

    struct Pending {
        QPointer<QObject> receiver;
        std::function<void(const std::any &)> deliver;
    };
    // Main thread only.
    QHash<quint64, Pending> m_pending;
    quint64 m_lastTicket = 0;
    std::mutex m_postLock;

    // Main thread only: the jobs that conversions report progress to. The
    // worker threads carry only a job's id, never the job itself.
    QHash<QUuid, QPointer<TranscodeJob>> m_progressTargets;
    SerialExecutor m_context; // last: its destructor waits for the worker
};
