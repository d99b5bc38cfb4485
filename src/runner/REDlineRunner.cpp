#include "REDlineRunner.h"

#include "LineJoiner.h"
#include "MediaProbe.h"
#include "OutputDiscovery.h"
#include "ProgressBox.h"
#include "ProgressParser.h"
#include "REDlineLocator.h"
#include "model/FileName.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <memory>
#include <utility>

QString TranscodeError::description() const {
    if (const auto *platform = std::get_if<PlatformError>(&error))
        return platform->description;
    return std::get<REDlineError>(error).description();
}

std::optional<UserText> TranscodeError::wording() const {
    if (const auto *redline = std::get_if<REDlineError>(&error))
        return redline->wording();
    return std::nullopt;
}

QString TranscodeError::debugDescription() const {
    return std::visit([](const auto &e) { return e.debugDescription(); }, error);
}

REDlineRunner::REDlineRunner(QObject *parent) : QObject(parent) {
    processRunner.timeout = processTimeout;
}

REDlineRunner::~REDlineRunner() {
    // The run's loop kills REDline if it is still running a grace period later.
    processRunner.requestStop(false);
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_worker.joinable())
        m_worker.join();
}

void REDlineRunner::stop(bool immediately) {
    processRunner.requestStop(immediately);
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

namespace {

// What reading one conversion's output keeps between reads.
struct ProgressReading {
    LineJoiner lines[2]; // standard output, standard error
    ProgressBox box;
};

// A copy that shares no data with the original, for handing text to the
// worker thread.
QString detached(const QString &text) {
    return QString(text.constData(), text.size());
}

TranscodeResult failed(TranscodeError error) {
    return {{}, std::move(error)};
}

} // namespace

ProcessRunner::OutputHandler REDlineRunner::progressReader(ProgressHandler deliver) {
    return [reading = std::make_shared<ProgressReading>(),
            deliver = std::move(deliver)](ProcessRunner::Stream stream, QByteArrayView bytes) {
        bool valid = false;
        const QString text = reading->lines[int(stream)].feed(bytes, &valid);
        if (!valid)
            return;
        const std::optional<double> p = ProgressParser::parseProgress(text);
        if (p && reading->box.offer(*p))
            deliver(*p);
    };
}

void REDlineRunner::startWorker(std::function<void()> work) {
    {
        const std::lock_guard lock(m_mutex);
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
    if (!m_worker.joinable())
        m_worker = std::thread(&REDlineRunner::serve, this);
}

void REDlineRunner::serve() {
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_closing || !m_work.empty(); });
            // Closing: an operation not begun is dropped, as its callbacks are.
            if (m_closing)
                return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        work();
    }
}

void REDlineRunner::post(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void REDlineRunner::deliverProgress(double value) {
    if (m_receiver && m_onProgress)
        m_onProgress(value);
}

void REDlineRunner::finish(const TranscodeResult &result) {
    // Cleared first: `done` may ask for the next operation.
    const TranscodeDone done = std::exchange(m_transcodeDone, nullptr);
    m_onProgress = nullptr;
    if (m_receiver && done)
        done(result);
}

void REDlineRunner::finish(const R3DMetadata &metadata) {
    const MetadataDone done = std::exchange(m_metadataDone, nullptr);
    if (m_receiver && done)
        done(metadata);
}

QString REDlineRunner::outputName(const QString &sourcePath, int number, bool likeClip) {
    const QString base = FileName::baseName(sourcePath);
    const QString numbered = number < 2 ? base : base + u'_' + QString::number(number);
    return likeClip ? numbered : numbered + QStringLiteral("_tarnel");
}

void REDlineRunner::transcode(TranscodeRequest request, QObject *receiver,
                              ProgressHandler onProgress, TranscodeDone done) {
    // The worker gets its own copies of every text: nothing it holds is
    // shared with the main thread.
    for (QString *text :
         {&request.sourcePath, &request.outputName, &request.outputFolder, &request.redlinePath})
        *text = detached(*text);
    m_receiver = receiver;
    m_onProgress = std::move(onProgress);
    m_transcodeDone = std::move(done);
    // From now on a stop reaches this conversion, even before REDline starts.
    processRunner.expectRun();
    startWorker([this, request = std::move(request), runner = processRunner] {
        TranscodeResult result = convert(request, runner, [this](double value) {
            post([this, value] { deliverProgress(value); });
        });
        // Moved: the worker keeps no share of the result's data.
        post([this, result = std::move(result)] { finish(result); });
    });
}

TranscodeResult REDlineRunner::convert(const TranscodeRequest &request, const ProcessRunner &runner,
                                       const ProgressHandler &onProgress) {
    if (!REDlineLocator::isFound(request.redlinePath))
        return failed({REDlineError::executableNotFound(request.redlinePath)});
    if (!QFileInfo::exists(request.outputFolder))
        return failed({REDlineError::outputDirectoryMissing()});

    const QString baseName = FileName::baseName(request.sourcePath);
    const OutputDiscovery::Snapshot snapshot =
        request.before ? *request.before
                       : OutputDiscovery::snapshot(request.outputFolder, baseName);
    const QDateTime startedAt = QDateTime::currentDateTimeUtc();
    const auto outcome = runner.run(
        request.redlinePath,
        arguments(request.sourcePath, request.outputName, request.outputFolder, request.preset),
        progressReader(onProgress));
    if (const auto *launchError = std::get_if<PlatformError>(&outcome))
        return failed({*launchError});
    const ProcessResult &result = std::get<ProcessResult>(outcome);
    if (result.terminationStatus != 0)
        return failed({REDlineError::processFailure(
            result.terminationStatus,
            ProcessRunner::lastCharacters(result.standardErrorText, failureTailLength))});
    const auto movie = OutputDiscovery::findOutputFile(request.outputFolder, baseName,
                                                       request.outputName, startedAt, snapshot);
    if (!movie)
        return failed({REDlineError::outputFileMissing()});
    if (const QString why = MediaProbe::unreadableReason(*movie); !why.isEmpty())
        return failed({REDlineError::outputUnreadable(*movie, why)});
    return {QUrl::fromLocalFile(*movie), std::nullopt};
}

void REDlineRunner::readMetadata(const QUrl &url, QObject *receiver, MetadataDone done) {
    m_receiver = receiver;
    m_metadataDone = std::move(done);
    startWorker([this, path = detached(url.toLocalFile())] {
        R3DMetadata metadata = MediaProbe::readMetadata(path);
        post([this, metadata = std::move(metadata)] { finish(metadata); });
    });
}
