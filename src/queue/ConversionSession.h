#pragma once

#include "RunEstimate.h"

#include <QObject>

class DesktopNotifier;
class LauncherProgress;
class RunMonitor;
class SleepInhibitor;
class SoundPlayer;
class TranscodeQueue;
class UserSettings;
class Workspace;

// One conversion session: the list of jobs and its runs (the queue with its
// REDline runner and debug log) and the services that look after a run for a
// user who has walked away (sleep held off, task-bar progress, the time
// left, a notification at the end). The window and tarnel-cli each build
// one, with the settings and the desktop's services handed in, and only
// observe it; neither puts these parts together by itself.
class ConversionSession : public QObject {
    Q_OBJECT

public:
    // What a session uses of the desktop. The session takes over the three
    // bus services; the sound player and the workspace outlive it.
    struct Services {
        SleepInhibitor *inhibitor;
        DesktopNotifier *notifier;
        LauncherProgress *launcher;
        SoundPlayer &sounds;
        Workspace &workspace;
        // Times the runs for the estimate; the steady clock when empty.
        RunEstimate::Clock clock = {};
    };
    // The services on the user's system and session buses, the platform's
    // sounds, and the workspace given.
    static Services desktopServices(Workspace &workspace);

    // What in the settings keeps a run from starting.
    enum class Obstacle { none, redlineMissing, noOutputFolder };

    ConversionSession(UserSettings &settings, Services services, QObject *parent = nullptr);
    ~ConversionSession() override;

    TranscodeQueue *queue() const { return m_queue; }
    RunMonitor *monitor() const { return m_monitor; }
    UserSettings &settings() const { return m_settings; }

    // REDline counts as missing when nothing exists at its configured path
    // (a relative path never counts); the output folder when none is chosen.
    Obstacle obstacle() const;
    // Whether a run can start now: nothing in the way, no run going on, and
    // a job waiting.
    bool canStart() const;

private:
    UserSettings &m_settings;
    TranscodeQueue *m_queue; // a child
    RunMonitor *m_monitor;   // a child of the queue
};
