#pragma once

#include "RunEstimate.h"

#include <QList>
#include <QObject>
#include <QPointer>

class DesktopNotifier;
class LauncherProgress;
class RunMonitor;
class SleepInhibitor;
class SoundPlayer;
class TranscodeJob;
class TranscodeQueue;
class UserSettings;
class Workspace;

// One conversion session: the list of jobs and its runs (the queue with its
// REDline runner and debug log) and the services that look after a run for a
// user who has walked away (sleep held off, task-bar progress, the time
// left, a notification at the end). The window and tarnel-cli each build
// one, with the settings and the desktop's services handed in, and only
// observe its events; neither puts these parts together by itself.
//
// The events are the queue's, passed on in the order the queue announces
// them, and the converting job's progress, batched: the jobs whose progress
// rose are collected and announced once per turn of the event loop, however
// many values REDline reported meanwhile, and always before their job is
// announced finished.
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

Q_SIGNALS:
    // The list's rows, as TranscodeQueue announces them.
    void jobsAboutToBeAdded(int first, int last);
    void jobsAdded(int first, int last);
    void jobsAboutToBeRemoved(int first, int last);
    void jobsRemoved(int first, int last);
    // A run's step began on the job; its progress rose (each job once, read
    // its progress for the latest value); the run is done with the job.
    void jobStarted(TranscodeJob *job);
    void progressed(const QList<TranscodeJob *> &jobs);
    void jobFinished(TranscodeJob *job);
    // A job changed outside a run's steps.
    void jobUpdated(TranscodeJob *job);
    void runStarted();
    void runFinished();

private:
    void followProgress(TranscodeJob *job);
    void finishJob(TranscodeJob *job);
    // Announces the jobs whose progress rose since the last announcement.
    void deliverProgress();

    UserSettings &m_settings;
    TranscodeQueue *m_queue; // a child
    RunMonitor *m_monitor;   // a child of the queue
    QList<QPointer<TranscodeJob>> m_progressed;
    bool m_deliveryPosted = false;
};
