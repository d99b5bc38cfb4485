#pragma once

#include <QObject>
#include <QPointer>

class MainWindow;
class PreferencesView;
class UserSettings;
class Workspace;

// The application shell: the one settings object of the process, the main
// windows (each with its own queue) and the settings window. The process
// ends when its last window closes. The windows reveal files and open pages
// through the workspace it is given.
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

private:
    Workspace &m_workspace;
    UserSettings *m_settings;
    QPointer<PreferencesView> m_preferences;
};
