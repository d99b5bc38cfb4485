#include "TranscodeQueue.h"

#include "model/DebugText.h"
#include "model/FileName.h"
#include "settings/UserSettings.h"

#include <QDirIterator>
#include <QSet>

namespace {

// The path text that the duplicate test compares.
QString pathText(const QUrl &url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

} // namespace

TranscodeQueue::TranscodeQueue(QObject *parent) : QObject(parent) {
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
