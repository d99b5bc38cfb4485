#pragma once

#include "OutputDiscovery.h"
#include "REDlineError.h"
#include "model/ProResPreset.h"
#include "model/R3DMetadata.h"
#include "platform/PlatformError.h"
#include "platform/ProcessRunner.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>

// Why a conversion failed: one of the runner's own errors, or the platform's
// error when REDline could not be launched at all.
struct TranscodeError {
    std::variant<REDlineError, PlatformError> error;

    QString description() const;
    // REDline's failures as a text to show in the user's language; none for
    // the system's own (a launch that failed).
    std::optional<UserText> wording() const;
    QString debugDescription() const;
};

// The movie a conversion wrote, or why there is none.
struct TranscodeResult {
    QUrl outputURL;
    std::optional<TranscodeError> error;

    bool succeeded() const { return !error.has_value(); }
};

// One conversion: REDline converts `sourcePath` into `outputFolder` (a
// folder path), asked for a movie named `outputName` (see
// REDlineRunner::outputName()). Only a movie that is new or changed since
// `before` (the output folder noted just before the call; noted by the runner
// right before REDline starts when absent) can be the result.
struct TranscodeRequest {
    QString sourcePath;
    QString outputName;
    ProResPreset preset = ProResPreset::proRes422;
    QString outputFolder;
    QString redlinePath;
    std::optional<OutputDiscovery::Snapshot> before;
};

// Converts one R3D file at a time by running REDline, and measures movies.
// Both operations run on the runner's worker thread, never on the main
// thread, one at a time: the next one is asked for once the previous one's
// result has arrived. The worker gets plain values and hands plain values
// back: the conversion's progress and the result are posted to the main
// thread, in the order they came, where the callbacks run, unless `receiver`
// is gone by then.
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

    using ProgressHandler = std::function<void(double)>;
    using TranscodeDone = std::function<void(const TranscodeResult &)>;
    using MetadataDone = std::function<void(const R3DMetadata &)>;

    // Runs the conversion. Each progress value the gate lets through (see
    // ProgressBox) goes to `onProgress`, rising; then `done` gets the movie,
    // which must be playable: a movie cut short or without video fails the
    // conversion (outputUnreadable) and is kept.
    void transcode(TranscodeRequest request, QObject *receiver, ProgressHandler onProgress,
                   TranscodeDone done);
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

    // How a conversion reads REDline's output: each stream's reads joined
    // into whole lines (see LineJoiner), searched for progress, and each
    // value the gate lets through handed to `deliver`, on the reading thread.
    static ProcessRunner::OutputHandler progressReader(ProgressHandler deliver);

    // The process settings every conversion uses (time limit, grace period);
    // tests shorten them.
    ProcessRunner processRunner;

private:
    // On the worker: the whole conversion.
    static TranscodeResult convert(const TranscodeRequest &request, const ProcessRunner &runner,
                                   const ProgressHandler &onProgress);
    // Hands `work` to the worker thread, started with the first operation
    // and kept for the runner's life: operations run there one after another.
    void startWorker(std::function<void()> work);
    // The worker thread's loop: runs each operation handed over until the
    // runner closes.
    void serve();
    // From the worker: runs `call` on the main thread, later. The runner
    // outlives its worker (its destructor waits), so posting to it is safe.
    void post(std::function<void()> call);
    // Main thread only: hand a value to the operation's callbacks.
    void deliverProgress(double value);
    void finish(const TranscodeResult &result);
    void finish(const R3DMetadata &metadata);

    // Main thread only: where the operation in progress reports.
    QPointer<QObject> m_receiver;
    ProgressHandler m_onProgress;
    TranscodeDone m_transcodeDone;
    MetadataDone m_metadataDone;
    // Shared with the worker, under m_mutex.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    bool m_closing = false;
    std::thread m_worker;
};
