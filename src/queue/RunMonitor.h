#pragma once

#include "RunEstimate.h"
#include "model/DebugText.h"
#include "platform/DebugLog.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUuid>
#include <functional>

class ConversionSession;
class DesktopNotifier;
class LauncherProgress;
class SleepInhibitor;
class TranscodeJob;
class TranscodeQueue;
class Workspace;

// Looks after one queue's conversion runs for a user who has walked away:
// holds off sleep while a run converts, shows the run's progress and the
// number of files left on the task bar, estimates the time left, and posts
// one notification when a run ends while no Tarnel window is active.
//
// It only observes its session's events (runs, the jobs a run starts and
// finishes, their progress, rows added and removed) and never changes the
// queue; it adds lines of its own to the debug log saying what took effect.
// A child of the session's queue, it ends with it: a run cut short by closing
// the window lets the machine sleep again and clears the task bar.
class RunMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr auto kShowOutputAction = "show-output";
    static constexpr auto kOpenLogAction = "open-log";

    // With these services, which it takes over, and the workspace that opens
    // what the notification's buttons name; the clock times the run.
    RunMonitor(ConversionSession *session, SleepInhibitor *inhibitor, DesktopNotifier *notifier,
               LauncherProgress *launcher, Workspace &workspace, RunEstimate::Clock clock = {});
    ~RunMonitor() override;

    // Answers whether a Tarnel window is active; set by the windowing layer.
    // Without it, no window counts as active.
    void setWindowActiveCheck(std::function<bool()> check) { m_windowActive = std::move(check); }

    // "About 12 min left" while a run converts and has an estimate, else empty.
    QString remainingText() const { return m_remainingText; }

Q_SIGNALS:
    void remainingTextChanged();

private:
    void jobStarted(TranscodeJob *job);
    void jobFinished(TranscodeJob *job);
    void progressed(const QList<TranscodeJob *> &jobs);
    void beginRun();
    void endRun();
    void update();
    void releaseSleep(const QString &when);
    void notifyRunEnd(const QString &summary, const QString &body);
    static QString shownSummary(qsizetype converted, qsizetype failed);
    void openFromNotification(const QString &action);
    // One entry each: a service's several lines of failure read escaped.
    void log(const QString &message) const { m_log.append(DebugText::printable(message)); }

    QPointer<TranscodeQueue> m_queue;
    SleepInhibitor *m_inhibitor;
    DesktopNotifier *m_notifier;
    LauncherProgress *m_launcher;
    Workspace &m_workspace;
    std::function<bool()> m_windowActive;
    RunEstimate m_estimate;
    // The queue's log as the run started, so lines written as the queue
    // goes away still reach it.
    DebugLog m_log;
    bool m_running = false;
    QPointer<TranscodeJob> m_current;
    // The jobs this run finished, by id: the job while it is listed, and
    // whether it was converted when the run finished with it.
    struct Finished {
        QPointer<TranscodeJob> job;
        bool converted;
    };
    QHash<QUuid, Finished> m_finished;
    QString m_remainingText;
    QString m_summary;
    QString m_outputFolder;
};
