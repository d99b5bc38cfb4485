#pragma once

#include <QObject>
#include <QPointer>

class MainWindow;
class PreferencesView;
class SignalWatcher;
class UserSettings;
class Workspace;

// The application shell: the one settings object of the process, the main
// windows (each with its own queue) and the settings window. The process
// ends when its last window closes, and when it is asked to end by SIGTERM,
// SIGINT or SIGHUP, which close every window without asking (the user or
// the system asked already): each window's run is abandoned, REDline's
// process group stopped and what was left unfinished logged. The windows
// reveal files and open pages through the workspace it is given.
class TarnelApp : public QObject {
    Q_OBJECT

public:
    explicit TarnelApp(Workspace &workspace, QObject *parent = nullptr);
    ~TarnelApp() override;

    UserSettings *settings() const { return m_settings; }
    Workspace &workspace() const { return m_workspace; }

public Q_SLOTS:
    MainWindow *newWindow();
    PreferencesView *showPreferences();
    // Ends the application on a termination signal, as closing the last
    // window does, without the question a window asks during a run.
    void endOnSignal(int signal);
    // Quits as File ▸ Quit does: every converting window asks first, one
    // after another, and nothing closes unless each answers Close.
    void quit();

private:
    void askInTurn(QList<QPointer<MainWindow>> windows);
    void closeEverything();

    Workspace &m_workspace;
    UserSettings *m_settings;
    SignalWatcher *m_signals;
    QPointer<PreferencesView> m_preferences;
    QList<QPointer<MainWindow>> m_confirmed; // converting windows whose stop was agreed
};
