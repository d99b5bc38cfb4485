#pragma once

#include <QObject>
#include <QPointer>

class MainWindow;
class PreferencesView;
class UserSettings;

// The application shell: the one settings object of the process, the main
// windows (each with its own queue) and the settings window. The process
// ends when its last window closes.
class TarnelApp : public QObject {
    Q_OBJECT

public:
    explicit TarnelApp(QObject *parent = nullptr);
    ~TarnelApp() override;

    UserSettings *settings() const { return m_settings; }

public Q_SLOTS:
    MainWindow *newWindow();
    PreferencesView *showPreferences();

private:
    UserSettings *m_settings;
    QPointer<PreferencesView> m_preferences;
};
