#include "TranscodeQueue.h"

#include "model/DebugText.h"
#include "model/FileName.h"
#include "platform/ByteCountFormatter.h"
#include "platform/SoundPlayer.h"
#include "settings/UserSettings.h"

#include <QFileInfo>

#include <QDirIterator>
#include <QSet>

namespace {

// The path text that the duplicate test compares.
QString pathText(const QUrl &url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

} // namespace

TranscodeQueue::TranscodeQueue(QObject *parent)
    : QObject(parent), m_runner(new REDlineRunner(this)) {
}

TranscodeQueue::~TranscodeQueue() = default;

bool TranscodeQueue::isR3D(const QUrl &url) {
    return FileName::pathExtension(url.path()).toUpper() == u"R3D";
}

QList<QUrl> TranscodeQueue::collectR3DFiles(const QUrl &url) {
    if (!FileName::denotesFolder(url))
        return isR3D(url) ? QList<QUrl>{url} : QList<QUrl>{};

    // One level deep, hidden entries included, in the file system's order.
    // A folder that cannot be listed contributes nothing.
    QList<QUrl> found;
    const QString folder = pathText(url);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString name = it.nextFileInfo().fileName();
        const QUrl entry = QUrl::fromLocalFile(folder + name);
        if (isR3D(entry))
            found.append(entry);
    }
    return found;
}

void TranscodeQueue::addFiles(const QList<QUrl> &urls) {
    QList<QUrl> found;
    for (const QUrl &url : urls)
        found.append(collectR3DFiles(url));

    if (found.isEmpty()) {
        QStringList paths;
        paths.reserve(urls.size());
        for (const QUrl &url : urls)
            paths.append(pathText(url));
        log(u"addFiles: no R3D files found in dropped URLs: " + DebugText::quotedList(paths));
        return;
    }

    QSet<QString> existing;
    existing.reserve(m_jobs.size());
    for (const TranscodeJob *job : std::as_const(m_jobs))
        existing.insert(pathText(job->sourceURL()));

    QList<QUrl> fresh;
    for (const QUrl &url : std::as_const(found)) {
        if (!existing.contains(pathText(url)))
            fresh.append(url);
    }

    log(u"addFiles: found " + QString::number(found.size()) + u" R3D file(s), " +
        QString::number(fresh.size()) + u" new");

    QList<TranscodeJob *> jobs = m_jobs;
    jobs.reserve(jobs.size() + fresh.size());
    for (const QUrl &url : std::as_const(fresh))
        jobs.append(new TranscodeJob(url, this));
    setJobs(std::move(jobs));
    notifyChange();
}

void TranscodeQueue::remove(TranscodeJob *job) {
    if (!job || job->status() == JobStatus::converting)
        return;
    const QUuid id = job->id();
    QList<TranscodeJob *> kept;
    QList<TranscodeJob *> removed;
    for (TranscodeJob *j : std::as_const(m_jobs))
        (j->id() == id ? removed : kept).append(j);
    setJobs(std::move(kept));
    // Deleted once the current event is done, so observers that still hold
    // the job during this announcement stay safe.
    for (TranscodeJob *j : std::as_const(removed))
        j->deleteLater();
    notifyChange();
}

void TranscodeQueue::clearList() {
    QList<TranscodeJob *> kept;
    QList<TranscodeJob *> removed;
    for (TranscodeJob *j : std::as_const(m_jobs))
        (j->status() == JobStatus::converting ? kept : removed).append(j);
    setJobs(std::move(kept));
    for (TranscodeJob *j : std::as_const(removed))
        j->deleteLater();
    notifyChange();
}

void TranscodeQueue::start() {
    if (!canStart())
        return;
    log(u"start: beginning queue of " + QString::number(queuedCount()) + u" file(s)");
    setIsConverting(true);
    // The first step runs from the event loop, after start() has returned.
    QMetaObject::invokeMethod(this, &TranscodeQueue::processNext, Qt::QueuedConnection);
}

void TranscodeQueue::processNext() {
    if (!m_settings) {
        log(QStringLiteral("processNext: settings is nil \u2014 aborting"));
        // Ending the run here too keeps the window from staying in
        // "Converting…" with nothing converting.
        if (m_isConverting)
            setIsConverting(false);
        return;
    }

    const auto next = std::find_if(m_jobs.cbegin(), m_jobs.cend(), [](const TranscodeJob *j) {
        return j->status() == JobStatus::queued;
    });
    if (next == m_jobs.cend()) {
        log(QStringLiteral("processNext: no queued jobs"));
        if (m_isConverting) {
            setIsConverting(false);
            queueFinished();
        }
        return;
    }
    TranscodeJob *job = *next;

    const QUrl outputDirectory = m_settings->outputDirectoryURL();
    if (outputDirectory.isEmpty()) {
        log(QStringLiteral("processNext: outputDirectoryURL is nil \u2014 aborting"));
        job->setStatus(JobStatus::failed);
        job->setErrorMessage(
            QStringLiteral("No output folder selected. Tap 'Change' to pick one."));
        notifyChange();
        setIsConverting(false);
        return;
    }

    const QString outputPath = FileName::folderPath(outputDirectory);
    const QString redlinePath = m_settings->redlinePath();
    const ProResPreset preset = m_settings->selectedPreset();
    const auto yesNo = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    log(u"processNext: starting " + FileName::lastComponent(job->sourcePath()));
    log(u"  output dir  = " + outputPath);
    log(u"  redline     = " + redlinePath);
    log(u"  redline exists = " + yesNo(QFileInfo::exists(redlinePath)));
    log(u"  output exists  = " + yesNo(QFileInfo::exists(outputPath)));
    log(u"  preset      = " + ProResPresets::rawValue(preset));
    log(u"  PRcodec flag= " + ProResPresets::prCodec(preset));

    job->setStatus(JobStatus::converting);
    job->setStartedAt(QDateTime::currentDateTime());
    job->setProgress(0);
    notifyChange();

    log(QStringLiteral("step 1: launching REDline transcode..."));
    // The result arrives on the main thread, and not at all once the queue
    // is gone.
    m_runner->transcode(job, preset, outputDirectory, redlinePath, this,
                        [this, job = QPointer<TranscodeJob>(job)](const TranscodeResult &result) {
                            if (job)
                                finishConversion(job, result);
                        });
}

void TranscodeQueue::finishConversion(TranscodeJob *job, const TranscodeResult &result) {
    if (!result.succeeded()) {
        const QString description = result.error->description();
        job->setStatus(JobStatus::failed);
        job->setErrorMessage(description);
        log(u"FAILED: " + result.error->debugDescription());
        log(u"FAILED description: " + description);
        notifyChange();
        processNext();
        return;
    }

    const QString moviePath = result.outputURL.toLocalFile();
    log(u"step 1 done: output = " + moviePath);
    job->setOutputURL(result.outputURL);
    job->setFinishedAt(QDateTime::currentDateTime());
    job->setProgress(1.0);
    job->setStatus(JobStatus::done);
    const QFileInfo movie(moviePath);
    if (movie.exists()) {
        job->setOutputSizeBytes(movie.size());
        log(u"output size = " + ByteCountFormatter::fileSize(movie.size()));
    }

    log(QStringLiteral("step 2: reading metadata from converted file..."));
    m_runner->readMetadata(result.outputURL, this,
                           [this, job = QPointer<TranscodeJob>(job)](const R3DMetadata &metadata) {
                               if (job)
                                   finishMeasurement(job, metadata);
                           });
}

void TranscodeQueue::finishMeasurement(TranscodeJob *job, const R3DMetadata &metadata) {
    log(u"step 2 done: fps=" + QString::number(metadata.frameRate) + u' ' +
        QString::number(metadata.width) + u'x' + QString::number(metadata.height) + u" frames=" +
        QString::number(metadata.frameCount));
    job->setMetadata(metadata);

    if (!m_settings || !m_settings->autoSendToFCP()) {
        log(QStringLiteral("step 3 skipped: auto-send off (use the Send to Final Cut button)"));
    } else {
        log(QStringLiteral("step 3: sending to FCP (auto-send on)..."));
        const auto error = m_generator.sendToFCP(*job, job->metadata());
        if (!error) {
            log(u"step 3 done: sent " + markSent(job) + u" to FCP");
        } else {
            job->setStatus(JobStatus::failed);
            job->setErrorMessage(error->description);
            log(u"FAILED: " + error->debugDescription());
            log(u"FAILED description: " + error->description);
        }
    }
    notifyChange();
    processNext();
}

QString TranscodeQueue::markSent(TranscodeJob *job) {
    const QString name = FileName::baseName(job->sourceURL());
    job->setStatus(JobStatus::sentToFCP);
    setLastSentToFCPName(name);
    return name;
}

void TranscodeQueue::queueFinished() {
    const auto failed = std::count_if(m_jobs.cbegin(), m_jobs.cend(), [](const TranscodeJob *j) {
        return j->status() == JobStatus::failed;
    });
    log(u"queue finished \u2014 " + QString::number(m_jobs.size()) + u" file(s), " +
        QString::number(failed) + u" failed");
    if (m_settings && !m_settings->playCompletionSound())
        return;
    SoundPlayer &player = m_soundPlayer ? *m_soundPlayer : SoundPlayer::system();
    player.play(QLatin1String(failed > 0 ? SoundPlayer::kFailure : SoundPlayer::kSuccess));
}

void TranscodeQueue::manualSend(TranscodeJob *job) {
    if (!job || !job->hasOutputURL())
        return;
    const auto error = m_generator.sendToFCP(*job, job->metadata());
    if (!error) {
        log(u"manual send: " + markSent(job) + u" -> FCP");
        if (job->handOffFailed())
            job->setHandOffFailed(false);
    } else {
        job->setErrorMessage(error->description);
        // The state stays; the flag lets the row show why the click did nothing.
        job->setHandOffFailed(true);
        log(u"manual send FAILED: " + error->description);
    }
    notifyChange();
}

qint64 TranscodeQueue::estimatedOutputBytes() const {
    if (!m_settings)
        return 0;
    return qint64(double(totalSourceBytes()) *
                  ProResPresets::sizeRatio(m_settings->selectedPreset()));
}

bool TranscodeQueue::canStart() const {
    return !m_isConverting && queuedCount() > 0;
}

int TranscodeQueue::queuedCount() const {
    return int(std::count_if(m_jobs.cbegin(), m_jobs.cend(), [](const TranscodeJob *j) {
        return j->status() == JobStatus::queued;
    }));
}

int TranscodeQueue::finishedCount() const {
    return int(std::count_if(m_jobs.cbegin(), m_jobs.cend(), [](const TranscodeJob *j) {
        const JobStatus s = j->status();
        return s == JobStatus::done || s == JobStatus::sentToFCP || s == JobStatus::failed;
    }));
}

qint64 TranscodeQueue::totalSourceBytes() const {
    qint64 total = 0;
    for (const TranscodeJob *j : m_jobs)
        total += j->sourceSizeBytes();
    return total;
}

void TranscodeQueue::setJobs(QList<TranscodeJob *> jobs) {
    Q_EMIT willChange();
    m_jobs = std::move(jobs);
    Q_EMIT jobsChanged();
}

void TranscodeQueue::setIsConverting(bool value) {
    Q_EMIT willChange();
    m_isConverting = value;
    Q_EMIT isConvertingChanged();
}

void TranscodeQueue::setLastSentToFCPName(const QString &name) {
    Q_EMIT willChange();
    m_lastSentToFCPName = name;
    Q_EMIT lastSentToFCPNameChanged();
}

void TranscodeQueue::notifyChange() const {
    if (onChange)
        onChange();
}
