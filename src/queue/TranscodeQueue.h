#pragma once

#include "DebugLog.h"
#include "model/TranscodeJob.h"
#include "settings/UserSettings.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <optional>

// Owns the list of jobs of one main window: turns dropped or chosen files and
// folders into queued jobs, removes jobs, answers the window's questions
// about the list, and writes the debug log. Lives on the main thread.
//
// Observable: jobs, lastSentToFCPName and isConverting announce every
// assignment through willChange() before storing and their own signal after.
class TranscodeQueue : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isConverting READ isConverting NOTIFY isConvertingChanged)

public:
    explicit TranscodeQueue(QObject *parent = nullptr);
    ~TranscodeQueue() override;

    const QList<TranscodeJob *> &jobs() const { return m_jobs; }
    std::optional<QString> lastSentToFCPName() const { return m_lastSentToFCPName; }
    bool isConverting() const { return m_isConverting; }

    // Plain field: attached by the main window each time it is shown.
    UserSettings *settings() const { return m_settings; }
    void setSettings(UserSettings *settings) { m_settings = settings; }

    // Called after the queue changed its list or a job; nothing installs it
    // in the application, the views rely on the signals.
    std::function<void()> onChange;

    QString logPath() const { return m_log.path(); }
    // Moves the debug log; the application never does, tests do.
    void setLogPath(const QString &path) { m_log = DebugLog(path); }

    // Adds one queued job per R3D file found in the URLs that is not already
    // in the list. Folder URLs (path ending in "/") are listed one level deep.
    void addFiles(const QList<QUrl> &urls);
    // Removes the job unless it is converting.
    void remove(TranscodeJob *job);
    // Removes every job that is not converting.
    void clearList();

    bool canStart() const;
    int queuedCount() const;
    int finishedCount() const;
    qint64 totalSourceBytes() const;

    void log(const QString &message) const { m_log.append(message); }

    static bool isR3D(const QUrl &url);
    static QList<QUrl> collectR3DFiles(const QUrl &url);

Q_SIGNALS:
    void willChange();
    void jobsChanged();
    void lastSentToFCPNameChanged();
    void isConvertingChanged();

private:
    void setJobs(QList<TranscodeJob *> jobs);
    void setIsConverting(bool value);
    void setLastSentToFCPName(const QString &name);
    void notifyChange() const;

    QList<TranscodeJob *> m_jobs;
    std::optional<QString> m_lastSentToFCPName;
    bool m_isConverting = false;
    QPointer<UserSettings> m_settings;
    DebugLog m_log;
};
