#include "ConversionSession.h"

#include "RunMonitor.h"
#include "TranscodeQueue.h"
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
    : QObject(parent), m_settings(settings), m_queue(new TranscodeQueue(this)),
      m_monitor(new RunMonitor(m_queue, services.inhibitor, services.notifier, services.launcher,
                               std::move(services.clock))) {
    m_queue->setSettings(&settings);
    m_queue->setSoundPlayer(&services.sounds);
    m_monitor->setWorkspace(&services.workspace);
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
