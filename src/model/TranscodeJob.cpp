#include "TranscodeJob.h"

#include <QFileInfo>

namespace {

qint64 lookUpFileSize(const QUrl &url) {
    if (!url.isLocalFile())
        return 0;
    const QFileInfo info(url.toLocalFile());
    return info.exists() ? info.size() : 0;
}

} // namespace

TranscodeJob::TranscodeJob(const QUrl &sourceURL, QObject *parent)
    : TranscodeJob(sourceURL, lookUpFileSize(sourceURL), parent) {
}

TranscodeJob::TranscodeJob(const QUrl &sourceURL, qint64 sourceSizeBytes, QObject *parent)
    : QObject(parent), m_id(QUuid::createUuid()), m_sourceURL(sourceURL),
      m_sourceSizeBytes(sourceSizeBytes) {
}

int TranscodeJob::savingPercent(qint64 sourceBytes, qint64 outputBytes) {
    if (sourceBytes < 1)
        return 0;
    return int((1.0 - double(outputBytes) / double(sourceBytes)) * 100.0);
}

template <typename T>
void TranscodeJob::setCounted(T &field, const T &value, void (TranscodeJob::*changed)()) {
    if (m_watcher)
        m_watcher->jobWillChange(this);
    field = value;
    if (m_watcher)
        m_watcher->jobChanged(this);
    Q_EMIT(this->*changed)();
}

void TranscodeJob::setSourceSizeBytes(qint64 value) {
    setCounted(m_sourceSizeBytes, value, &TranscodeJob::sourceSizeBytesChanged);
}
void TranscodeJob::setOutputURL(const QUrl &value) {
    setCounted(m_outputURL, value, &TranscodeJob::outputURLChanged);
}
void TranscodeJob::setOutputSizeBytes(qint64 value) {
    m_outputSizeBytes = value;
}
void TranscodeJob::setProgress(double value) {
    m_progress = value;
    Q_EMIT progressChanged();
}
void TranscodeJob::setStartedAt(const QDateTime &value) {
    m_startedAt = value;
}
void TranscodeJob::setFinishedAt(const QDateTime &value) {
    m_finishedAt = value;
}
void TranscodeJob::setStatus(JobStatus value) {
    setCounted(m_status, value, &TranscodeJob::statusChanged);
}
void TranscodeJob::setErrorMessage(const QString &value) {
    m_errorMessage = value;
    m_errorText.reset();
}
void TranscodeJob::setErrorText(const UserText &value) {
    m_errorMessage = value.english();
    m_errorText = value;
}
void TranscodeJob::setHandOffFailed(bool value) {
    m_handOffFailed = value;
}
