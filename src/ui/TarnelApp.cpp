#include "TarnelApp.h"

#include "MainWindow.h"
#include "PreferencesView.h"
#include "settings/UserSettings.h"

TarnelApp::TarnelApp(Workspace &workspace, QObject *parent)
    : QObject(parent), m_workspace(workspace), m_settings(new UserSettings(this)) {
}

TarnelApp::~TarnelApp() {
    delete m_preferences;
}

MainWindow *TarnelApp::newWindow() {
    auto *window = new MainWindow(m_settings, this);
    window->show();
    return window;
}

PreferencesView *TarnelApp::showPreferences() {
    if (!m_preferences) {
        m_preferences = new PreferencesView(m_settings);
        m_preferences->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
    return m_preferences;
}
