#pragma once

#include "RecordingSoundPlayer.h"
#include "RecordingWorkspace.h"
#include "platform/DesktopNotifier.h"
#include "platform/LauncherProgress.h"
#include "platform/SleepInhibitor.h"
#include "queue/ConversionSession.h"
#include "queue/TranscodeQueue.h"

#include <QDBusConnection>

// A conversion session whose desktop services reach no bus (nothing holds
// off sleep, shows task-bar progress or notifies), whose sounds are recorded
// and whose workspace only records: for tests of what a face observes.
class OfflineSession {
public:
    OfflineSession(UserSettings &settings, const QString &logPath)
        : session(settings, {new SleepInhibitor(noBus(), noBus()), new DesktopNotifier(noBus()),
                             new LauncherProgress(noBus()), sounds, workspace}) {
        session.queue()->setLogPath(logPath);
    }
    TranscodeQueue &queue() { return *session.queue(); }
    // A connection to no bus at all.
    static QDBusConnection noBus() { return QDBusConnection(QString()); }

    RecordingSoundPlayer sounds;
    RecordingWorkspace workspace;
    ConversionSession session;
};
