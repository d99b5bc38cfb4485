#include "RunMonitor.h"

#include "ConversionSession.h"
#include "TranscodeQueue.h"
#include "model/FileName.h"
#include "platform/DesktopNotifier.h"
#include "platform/LauncherProgress.h"
#include "platform/SleepInhibitor.h"
#include "platform/Workspace.h"

#include <algorithm>

namespace {

bool isConverted(JobStatus status) {
    return status == JobStatus::done || status == JobStatus::sentToFCP;
}

QString clips(qsizetype n) {
    return QString::number(n) + (n == 1 ? u" clip" : u" clips");
}

// "12 clips converted", "11 converted, 1 failed", "No clips converted".
QString summaryText(qsizetype converted, qsizetype failed) {
    if (failed > 0)
        return QString::number(converted) + u" converted, " + QString::number(failed) + u" failed";
    return converted > 0 ? clips(converted) + u" converted" : QStringLiteral("No clips converted");
}

} // namespace

// The summary in the user's language; the log keeps summaryText's English.
QString RunMonitor::shownSummary(qsizetype converted, qsizetype failed) {
    if (failed > 0)
        return tr("%1 converted, %2 failed").arg(converted).arg(failed);
    if (converted == 1)
        return tr("1 clip converted");
    return converted > 0 ? tr("%1 clips converted").arg(converted) : tr("No clips converted");
}

RunMonitor::RunMonitor(ConversionSession *session, SleepInhibitor *inhibitor,
                       DesktopNotifier *notifier, LauncherProgress *launcher, Workspace &workspace,
                       RunEstimate::Clock clock)
    : QObject(session->queue()), m_queue(session->queue()), m_inhibitor(inhibitor),
      m_notifier(notifier), m_launcher(launcher), m_workspace(workspace),
      m_estimate(std::move(clock)), m_log(m_queue->logPath()) {
    for (QObject *service : {static_cast<QObject *>(inhibitor), static_cast<QObject *>(notifier),
                             static_cast<QObject *>(launcher)})
        service->setParent(this);

    connect(session, &ConversionSession::runStarted, this, &RunMonitor::beginRun);
    connect(session, &ConversionSession::runFinished, this, &RunMonitor::endRun);
    connect(session, &ConversionSession::jobStarted, this, &RunMonitor::jobStarted);
    connect(session, &ConversionSession::progressed, this, &RunMonitor::progressed);
    connect(session, &ConversionSession::jobFinished, this, &RunMonitor::jobFinished);
    // Jobs added, removed or resized during a run change what is left.
    for (auto rows : {&ConversionSession::jobsAdded, &ConversionSession::jobsRemoved})
        connect(session, rows, this, &RunMonitor::update);
    connect(session, &ConversionSession::jobUpdated, this, &RunMonitor::update);

    connect(m_inhibitor, &SleepInhibitor::settled, this,
            [this](SleepInhibitor::Mechanism mechanism, const QString &failures) {
                const QString because = failures.isEmpty() ? QString() : u" (" + failures + u')';
                switch (mechanism) {
                case SleepInhibitor::Mechanism::logind:
                    log(QStringLiteral("inhibit: logind holds off sleep until the run ends"));
                    break;
                case SleepInhibitor::Mechanism::portal:
                    log(u"inhibit: the desktop portal holds off sleep until the run ends" +
                        because);
                    break;
                case SleepInhibitor::Mechanism::none:
                    log(u"inhibit: nothing holds off sleep during this run" + because);
                    break;
                }
            });
    connect(m_notifier, &DesktopNotifier::shown, this, [this](bool withActions) {
        log(u"notify: shown \u201C" + m_summary + u'\u201D' +
            (withActions ? QString() : QStringLiteral(" (the server offers no buttons)")));
    });
    connect(m_notifier, &DesktopNotifier::failed, this,
            [this](const QString &reason) { log(u"notify: not shown (" + reason + u')'); });
    connect(m_notifier, &DesktopNotifier::actionInvoked, this, &RunMonitor::openFromNotification);
}

RunMonitor::~RunMonitor() {
    // The queue is going away in the middle of a run (its window closed).
    // The services end with this object; say so while the log is at hand.
    if (m_running)
        releaseSleep(QStringLiteral("the queue closed during the run"));
}

void RunMonitor::beginRun() {
    m_running = true;
    m_current = nullptr;
    m_finished.clear();
    m_log = DebugLog(m_queue->logPath());
    m_estimate.begin();
    // The reason the desktop shows in its list of what holds off sleep.
    const int queued = m_queue->queuedCount();
    m_inhibitor->hold(queued == 1 ? tr("Converting 1 clip")
                                  : tr("Converting %n clips", nullptr, queued));
    log(m_launcher->isAvailable()
            ? QStringLiteral("launcher: task-bar progress sent on the session bus")
            : QStringLiteral("launcher: no session bus, no task-bar progress"));
    update();
}

void RunMonitor::jobStarted(TranscodeJob *job) {
    if (!m_running)
        return;
    m_current = job;
    m_estimate.fileStarted(job->sourceSizeBytes());
    update();
}

void RunMonitor::progressed(const QList<TranscodeJob *> &jobs) {
    if (m_current && jobs.contains(m_current))
        update();
}

void RunMonitor::jobFinished(TranscodeJob *job) {
    if (!m_running)
        return;
    if (job == m_current) {
        m_current = nullptr;
        // Only a file REDline converted teaches the speed of a conversion.
        m_estimate.fileFinished(job->hasOutputURL());
    }
    m_finished.insert(job->id(), {job, isConverted(job->status())});
    update();
}

void RunMonitor::update() {
    if (!m_running || !m_queue)
        return;
    const int waiting = m_queue->queuedCount();
    const qint64 waitingBytes = m_queue->queuedSourceBytes();
    const int converting = m_current ? 1 : 0;
    const double progress = m_current ? m_current->progress() : 0.0;
    const qsizetype files = m_finished.size() + converting + waiting;
    m_launcher->show(files > 0 ? (double(m_finished.size()) + progress) / double(files) : 0.0,
                     waiting + converting);
    const QString text = RunEstimate::remainingText(m_estimate.remainingMs(progress, waitingBytes));
    if (text != m_remainingText) {
        m_remainingText = text;
        Q_EMIT remainingTextChanged();
    }
}

void RunMonitor::endRun() {
    if (!m_running)
        return;
    m_running = false;
    m_current = nullptr;
    releaseSleep(QStringLiteral("the run ended"));
    m_launcher->clear();
    if (!m_remainingText.isEmpty()) {
        m_remainingText.clear();
        Q_EMIT remainingTextChanged();
    }

    // A job still listed counts as it is now (a manual hand-off may have
    // followed), a removed one as it was when the run finished with it.
    const auto converted = std::count_if(m_finished.cbegin(), m_finished.cend(), [](const auto &f) {
        return f.job ? isConverted(f.job->status()) : f.converted;
    });
    m_summary = summaryText(converted, m_finished.size() - converted);
    const QString summary = shownSummary(converted, m_finished.size() - converted);
    const QString body =
        tr("Total time: %1").arg(RunEstimate::durationText(m_estimate.elapsedMs()));
    const QUrl folder = m_queue->settings().outputDirectoryURL();
    m_outputFolder = folder.isEmpty() ? QString() : FileName::folderPath(folder);
    // Once the current event is handled, after what the queue's other
    // observers make of the run's end.
    QMetaObject::invokeMethod(
        this, [this, summary, body] { notifyRunEnd(summary, body); }, Qt::QueuedConnection);
}

void RunMonitor::releaseSleep(const QString &when) {
    if (m_inhibitor->mechanism() != SleepInhibitor::Mechanism::none)
        log(u"inhibit: released, " + when);
    m_inhibitor->release();
}

void RunMonitor::notifyRunEnd(const QString &summary, const QString &body) {
    if (m_windowActive && m_windowActive()) {
        log(QStringLiteral("notify: not needed, a Tarnel window is active"));
        return;
    }
    QList<DesktopNotifier::Action> actions;
    if (!m_outputFolder.isEmpty())
        actions.append({QLatin1String(kShowOutputAction), tr("Show in Files")});
    actions.append({QLatin1String(kOpenLogAction), tr("Open Debug Log")});
    m_notifier->notify(summary, body, actions);
}

void RunMonitor::openFromNotification(const QString &action) {
    Workspace &workspace = m_workspace;
    // The default application for a folder is the file manager, for the log
    // a text editor.
    if (action == QLatin1String(kShowOutputAction) && !m_outputFolder.isEmpty())
        workspace.openURL(QUrl::fromLocalFile(m_outputFolder));
    else if (action == QLatin1String(kOpenLogAction))
        workspace.openURL(QUrl::fromLocalFile(m_log.path()));
    else
        return;
    log(u"notify: " + action + u" chosen");
}
