#include "ConversionSession.h"

#include "RunMonitor.h"
#include "TranscodeQueue.h"
#include "model/TranscodeJob.h"
#include "platform/DesktopNotifier.h"
#include "platform/LauncherProgress.h"
#include "platform/SleepInhibitor.h"
#include "platform/SoundPlayer.h"
#include "runner/REDlineLocator.h"
#include "settings/UserSettings.h"

ConversionSession::Services ConversionSession::desktopServices(Workspace &workspace) {
    return {new SleepInhibitor(QDBusConnection::systemBus(), QDBusConnection::sessionBus()),
            new DesktopNotifier(QDBusConnection::sessionBus()),
            new LauncherProgress(QDBusConnection::sessionBus()), SoundPlayer::system(), workspace};
}

ConversionSession::ConversionSession(UserSettings &settings, Services services, QObject *parent)
    : QObject(parent), m_settings(settings),
      m_queue(new TranscodeQueue(settings, services.sounds, services.workspace, this)) {
    using Q = TranscodeQueue;
    using S = ConversionSession;
    connect(m_queue, &Q::jobsAboutToBeAdded, this, &S::jobsAboutToBeAdded);
    connect(m_queue, &Q::jobsAdded, this, &S::jobsAdded);
    connect(m_queue, &Q::jobsAboutToBeRemoved, this, &S::jobsAboutToBeRemoved);
    connect(m_queue, &Q::jobsRemoved, this, &S::jobsRemoved);
    connect(m_queue, &Q::jobStarted, this, &S::followProgress);
    connect(m_queue, &Q::jobFinished, this, &S::finishJob);
    connect(m_queue, &Q::jobUpdated, this, &S::jobUpdated);
    connect(m_queue, &Q::runStarted, this, &S::runStarted);
    connect(m_queue, &Q::runFinished, this, &S::runFinished);
    // Built last: it observes the events connected above.
    m_monitor = new RunMonitor(this, services.inhibitor, services.notifier, services.launcher,
                               services.workspace, std::move(services.clock));
}

ConversionSession::~ConversionSession() = default;

ConversionSession::Obstacle ConversionSession::obstacle() const {
    if (!REDlineLocator::isFound(m_settings.redlinePath()))
        return Obstacle::redlineMissing;
    if (m_settings.outputDirectoryURL().isEmpty())
        return Obstacle::noOutputFolder;
    return Obstacle::none;
}

bool ConversionSession::canStart() const {
    return obstacle() == Obstacle::none && m_queue->canStart();
}

void ConversionSession::followProgress(TranscodeJob *job) {
    Q_EMIT jobStarted(job);
    connect(job, &TranscodeJob::progressChanged, this, [this, job] {
        if (!m_progressed.contains(job))
            m_progressed.append(job);
        if (m_deliveryPosted)
            return;
        m_deliveryPosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_deliveryPosted = false;
                deliverProgress();
            },
            Qt::QueuedConnection);
    });
}

void ConversionSession::finishJob(TranscodeJob *job) {
    disconnect(job, &TranscodeJob::progressChanged, this, nullptr);
    // Its last progress comes before its end.
    deliverProgress();
    Q_EMIT jobFinished(job);
}

void ConversionSession::deliverProgress() {
    QList<TranscodeJob *> jobs;
    for (const QPointer<TranscodeJob> &job : std::exchange(m_progressed, {})) {
        if (job)
            jobs.append(job);
    }
    if (!jobs.isEmpty())
        Q_EMIT progressed(jobs);
}
