#pragma once

#include "JobStatus.h"
#include "JobWatcher.h"
#include "R3DMetadata.h"
#include "UserText.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>
#include <QUuid>
#include <optional>

// One R3D source file on its way through the queue. Status, source size and
// movie tell the job's watcher first (the queue keeps its counts by it) and
// then announce their change; progress announces its rises, which
// ConversionSession passes on batched. Observers of a whole row follow the
// session's job events instead.
//
// Jobs belong to the main thread; the runner hands progress over through a
// queued call.
class TranscodeJob : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUuid id READ id CONSTANT)
    Q_PROPERTY(QUrl sourceURL READ sourceURL CONSTANT)
    Q_PROPERTY(qint64 sourceSizeBytes READ sourceSizeBytes NOTIFY sourceSizeBytesChanged)
    Q_PROPERTY(QUrl outputURL READ outputURL NOTIFY outputURLChanged)
    Q_PROPERTY(qint64 outputSizeBytes READ outputSizeBytes)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QDateTime startedAt READ startedAt)
    Q_PROPERTY(QDateTime finishedAt READ finishedAt)
    Q_PROPERTY(JobStatus status READ status NOTIFY statusChanged)
    Q_PROPERTY(bool handOffFailed READ handOffFailed)

public:
    // Creates a queued job and looks up the source file's size (0 when it
    // cannot be read).
    explicit TranscodeJob(const QUrl &sourceURL, QObject *parent = nullptr);
    // Creates a queued job whose size is already known: for a clip that RED
    // spanned over several files, `sourceURL` is its first piece and the size
    // is that of all its pieces.
    TranscodeJob(const QUrl &sourceURL, qint64 sourceSizeBytes, QObject *parent = nullptr);

    // How much smaller a movie is than its source, in whole percent,
    // truncated toward zero (64.5 % reads 64); negative when the movie is
    // larger, 0 when the source's size is unknown. Every display of a saving
    // uses it, so the window, the command line and the demo agree.
    static int savingPercent(qint64 sourceBytes, qint64 outputBytes);

    QUuid id() const { return m_id; }
    QUrl sourceURL() const { return m_sourceURL; }
    QString sourcePath() const { return m_sourceURL.toLocalFile(); }
    qint64 sourceSizeBytes() const { return m_sourceSizeBytes; }
    // Empty while the conversion has not succeeded.
    QUrl outputURL() const { return m_outputURL; }
    bool hasOutputURL() const { return !m_outputURL.isEmpty(); }
    qint64 outputSizeBytes() const { return m_outputSizeBytes; }
    double progress() const { return m_progress; }
    // Invalid while unset.
    QDateTime startedAt() const { return m_startedAt; }
    QDateTime finishedAt() const { return m_finishedAt; }
    JobStatus status() const { return m_status; }
    // In English, as the log and tarnel-cli's JSON have it.
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    // The error as Tarnel worded it, when it did (a hand-off to Final Cut
    // Pro that failed), for showing in the user's language.
    std::optional<UserText> errorText() const { return m_errorText; }
    std::optional<R3DMetadata> metadata() const { return m_metadata; }
    // Whether the last manual hand-off to Final Cut Pro failed; errorMessage
    // then says why. A later successful hand-off clears it.
    bool handOffFailed() const { return m_handOffFailed; }

    void setSourceSizeBytes(qint64 value);
    void setOutputURL(const QUrl &value);
    void setOutputSizeBytes(qint64 value);
    void setProgress(double value);
    void setStartedAt(const QDateTime &value);
    void setFinishedAt(const QDateTime &value);
    void setStatus(JobStatus value);
    void setErrorMessage(const QString &value);
    // Sets errorText and, as its English, errorMessage.
    void setErrorText(const UserText &value);
    void setHandOffFailed(bool value);
    // The one watcher told of changes to status, source size and movie
    // first; none by default.
    void setWatcher(JobWatcher *watcher) { m_watcher = watcher; }
    // Plain field: no announcement.
    void setMetadata(const R3DMetadata &value) { m_metadata = value; }

Q_SIGNALS:
    void sourceSizeBytesChanged();
    void outputURLChanged();
    void progressChanged();
    void statusChanged();

private:
    // Stores a field the watcher counts: the watcher is told around the
    // change, then `changed` is emitted.
    template <typename T>
    void setCounted(T &field, const T &value, void (TranscodeJob::*changed)());

    const QUuid m_id;
    const QUrl m_sourceURL;
    qint64 m_sourceSizeBytes = 0;
    QUrl m_outputURL;
    qint64 m_outputSizeBytes = 0;
    double m_progress = 0.0;
    QDateTime m_startedAt;
    QDateTime m_finishedAt;
    JobStatus m_status = JobStatus::queued;
    std::optional<QString> m_errorMessage;
    std::optional<R3DMetadata> m_metadata;
    bool m_handOffFailed = false;
    std::optional<UserText> m_errorText;
    JobWatcher *m_watcher = nullptr;
};
