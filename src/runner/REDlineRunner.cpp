#include "REDlineRunner.h"

#include "MediaProbe.h"
#include "OutputDiscovery.h"
#include "ProgressBox.h"
#include "ProgressParser.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>
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
    m_context.setMaxThreadCount(1);
    m_context.setExpiryTimeout(-1);
    processRunner.timeout = processTimeout;
}

REDlineRunner::~REDlineRunner() {
    processRunner.signalRunningChild(SIGTERM);
    if (!m_context.waitForDone(int(std::chrono::milliseconds(processRunner.gracePeriod).count()))) {
        processRunner.signalRunningChild(SIGKILL);
        m_context.waitForDone();
    }
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
    if (TranscodeJob *job = m_progressTargets.value(jobId))
        job->setProgress(value);
}

namespace {

// Plain folder path without the trailing "/" that folder URLs carry.
QString folderPath(const QUrl &url) {
    QString p = url.toLocalFile();
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

} // namespace

QFuture<TranscodeResult> REDlineRunner::transcode(TranscodeJob *job, ProResPreset preset,
                                                  const QUrl &outputDirectory,
                                                  const QString &redlinePath) {
    const QString sourcePath = job->sourcePath();
    const QUuid jobId = job->id();
    m_progressTargets.removeIf([](const auto &entry) { return entry.value().isNull(); });
    m_progressTargets.insert(jobId, job);
    const ProcessRunner runner = processRunner;
    return QtConcurrent::run(&m_context, [=, this]() -> TranscodeResult {
        if (!QFileInfo::exists(redlinePath))
            return {{}, TranscodeError{REDlineError::executableNotFound(redlinePath)}};
        const QString outDir = folderPath(outputDirectory);
        if (!QFileInfo::exists(outDir))
            return {{}, TranscodeError{REDlineError::outputDirectoryMissing()}};

        const QString baseName = FileName::baseName(sourcePath);
        const QString expectedName = baseName + QStringLiteral("_tarnel");
        const QDateTime startedAt = QDateTime::currentDateTimeUtc();
        ProgressBox box;
        const auto outcome =
            runner.run(redlinePath, arguments(sourcePath, expectedName, outDir, preset),
                       [this, &box, jobId](const QString &chunk) {
                           // The job belongs to the main thread: post each accepted
                           // value there, never wait for it.
                           reportProgress(chunk, box, [this, jobId](double value) {
                               QMetaObject::invokeMethod(
                                   this, [this, jobId, value] { applyProgress(jobId, value); },
                                   Qt::QueuedConnection);
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
            OutputDiscovery::findOutputFile(outDir, baseName, expectedName, startedAt);
        if (!movie)
            return {{}, TranscodeError{REDlineError::outputFileMissing()}};
        return {QUrl::fromLocalFile(*movie), std::nullopt};
    });
}

QFuture<R3DMetadata> REDlineRunner::readMetadata(const QUrl &url) {
    const QString path = url.toLocalFile();
    return QtConcurrent::run(&m_context, [path] { return MediaProbe::readMetadata(path); });
}
