#include "REDlineRunner.h"

#include "MediaProbe.h"
#include "OutputDiscovery.h"
#include "ProgressBox.h"
#include "ProgressParser.h"
#include "REDlineLocator.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <csignal>

QString TranscodeError::description() const {
    if (const auto *platform = std::get_if<PlatformError>(&error))
        return platform->description;
    return std::get<REDlineError>(error).description();
}

QString TranscodeError::debugDescription() const {
    return std::visit([](const auto &e) { return e.debugDescription(); }, error);
}

REDlineRunner::REDlineRunner(QObject *parent) : QObject(parent) {
    processRunner.timeout = processTimeout;
}

REDlineRunner::~REDlineRunner() {
    processRunner.signalRunningChild(SIGTERM);
    if (!m_context.waitForIdle(processRunner.gracePeriod))
        processRunner.signalRunningChild(SIGKILL);
    // The executor's destructor then waits for the worker to finish.
}

void REDlineRunner::stop(bool immediately) {
    if (immediately) {
        processRunner.signalRunningChild(SIGKILL);
        return;
    }
    processRunner.signalRunningChild(SIGTERM);
    // A REDline that ignores the request is killed after the grace period,
    // unless the work it belonged to has finished by then (the next
    // conversion's REDline is never hit).
    const quint64 ticket = m_lastTicket;
    QTimer::singleShot(processRunner.gracePeriod, this, [this, ticket] {
        if (m_pending.contains(ticket))
            processRunner.signalRunningChild(SIGKILL);
    });
}

QStringList REDlineRunner::arguments(const QString &sourcePath, const QString &expectedName,
                                     const QString &outputDirectory, ProResPreset preset) {
    return {QStringLiteral("--i"),
            sourcePath,
            QStringLiteral("--o"),
            expectedName,
            QStringLiteral("--outDir"),
            outputDirectory,
            QStringLiteral("--format"),
            QStringLiteral("201"),
            QStringLiteral("--PRcodec"),
            ProResPresets::prCodec(preset),
            QStringLiteral("--useRMD"),
            QStringLiteral("2"),
            QStringLiteral("--primaryDev"),
            QStringLiteral("--colorSpace"),
            QStringLiteral("25"),
            QStringLiteral("--gammaCurve"),
            QStringLiteral("34")};
}

void REDlineRunner::reportProgress(const QString &chunk, ProgressBox &box,
                                   const std::function<void(double)> &deliver) {
    const std::optional<double> p = ProgressParser::parseProgress(chunk);
    if (p && box.offer(*p))
        deliver(*p);
}

void REDlineRunner::applyProgress(const QUuid &jobId, double value) {
    // Standard output and standard error are read on two threads, and a
    // value one of them accepted may be posted after a higher one the other
    // accepted meanwhile: a late lower value is dropped, so progress never
    // runs backwards.
    TranscodeJob *job = m_progressTargets.value(jobId);
    if (job && value > job->progress())
        job->setProgress(value);
}

namespace {

// A copy that shares no data with the original, for handing text to the
// worker thread.
QString detached(const QString &text) {
    return QString(text.constData(), text.size());
}

} // namespace

template <typename Result, typename Work>
void REDlineRunner::submit(Work work, QObject *receiver, std::function<void(const Result &)> done) {
    const quint64 ticket = ++m_lastTicket;
    m_pending.insert(ticket, Pending{receiver, [done = std::move(done)](const std::any &result) {
                                         done(std::any_cast<const Result &>(result));
                                     }});
    m_context.submit([this, ticket, work = std::move(work)] {
        Result result = work();
        // The runner outlives its worker (its destructor waits), so posting
        // to it is safe; the event is dropped if the runner is gone by then.
        // The result is moved, so the worker keeps no share of its data.
        postToMainThread(
            [this, ticket, result = std::move(result)] { complete(ticket, std::any(result)); });
    });
}

void REDlineRunner::postToMainThread(std::function<void()> call) {
    std::lock_guard lock(m_postLock);
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void REDlineRunner::complete(quint64 ticket, const std::any &result) {
    const Pending pending = m_pending.take(ticket);
    if (pending.receiver && pending.deliver)
        pending.deliver(result);
}

QString REDlineRunner::outputName(const QString &sourcePath, int number, bool likeClip) {
    const QString base = FileName::baseName(sourcePath);
    const QString numbered = number < 2 ? base : base + u'_' + QString::number(number);
    return likeClip ? numbered : numbered + QStringLiteral("_tarnel");
}

void REDlineRunner::transcode(TranscodeJob *job, const QString &outputName, ProResPreset preset,
                              const QUrl &outputDirectory, const QString &redlinePath,
                              QObject *receiver, TranscodeDone done,
                              std::optional<OutputDiscovery::Snapshot> before) {
    // The worker gets its own copies of every text: nothing it holds is
    // shared with the main thread.
    const QString sourcePath = detached(job->sourcePath());
    const QString outDir = detached(FileName::folderPath(outputDirectory));
    const QString redline = detached(redlinePath);
    const QString expectedName = detached(outputName);
    const QUuid jobId = job->id();
    m_progressTargets.removeIf([](const auto &entry) { return entry.value().isNull(); });
    m_progressTargets.insert(jobId, job);
    // From now on a stop reaches this conversion, even before REDline starts.
    processRunner.expectRun();
    // Exactly these values go to the worker.
    const auto work = [this, sourcePath, outDir, redline, expectedName, jobId, preset,
                       runner = processRunner, before = std::move(before)]() -> TranscodeResult {
        if (!REDlineLocator::isFound(redline))
            return {{}, TranscodeError{REDlineError::executableNotFound(redline)}};
        if (!QFileInfo::exists(outDir))
            return {{}, TranscodeError{REDlineError::outputDirectoryMissing()}};

        const QString baseName = FileName::baseName(sourcePath);
        const OutputDiscovery::Snapshot snapshot =
            before ? *before : OutputDiscovery::snapshot(outDir, baseName);
        const QDateTime startedAt = QDateTime::currentDateTimeUtc();
        ProgressBox box;
        const auto outcome = runner.run(
            redline, arguments(sourcePath, expectedName, outDir, preset),
            [this, &box, jobId](const QString &chunk) {
                // The job belongs to the main thread: post each accepted
                // value there, never wait for it.
                reportProgress(chunk, box, [this, jobId](double value) {
                    postToMainThread([this, jobId, value] { applyProgress(jobId, value); });
                });
            });
        if (const auto *launchError = std::get_if<PlatformError>(&outcome))
            return {{}, TranscodeError{*launchError}};
        const ProcessResult &result = std::get<ProcessResult>(outcome);
        if (result.terminationStatus != 0) {
            return {
                {},
                TranscodeError{REDlineError::processFailure(
                    result.terminationStatus,
                    ProcessRunner::lastCharacters(result.standardErrorText, failureTailLength))}};
        }
        const auto movie =
            OutputDiscovery::findOutputFile(outDir, baseName, expectedName, startedAt, snapshot);
        if (!movie)
            return {{}, TranscodeError{REDlineError::outputFileMissing()}};
        if (const QString why = MediaProbe::unreadableReason(*movie); !why.isEmpty())
            return {{}, TranscodeError{REDlineError::outputUnreadable(*movie, why)}};
        return {QUrl::fromLocalFile(*movie), std::nullopt};
    };
    // Once the result is in, no progress of this conversion is applied: the
    // table stays as short as the conversions going on.
    submit<TranscodeResult>(work, receiver,
                            [this, jobId, done = std::move(done)](const TranscodeResult &result) {
                                m_progressTargets.remove(jobId);
                                done(result);
                            });
}

void REDlineRunner::readMetadata(const QUrl &url, QObject *receiver, MetadataDone done) {
    const QString path = detached(url.toLocalFile());
    submit<R3DMetadata>([path] { return MediaProbe::readMetadata(path); }, receiver,
                        std::move(done));
}
