#include "TarnelApp.h"

#include "MainWindow.h"
#include "PreferencesView.h"
#include "platform/SignalWatcher.h"
#include "settings/UserSettings.h"

#include <QApplication>

TarnelApp::TarnelApp(Workspace &workspace, QObject *parent)
    : QObject(parent), m_workspace(workspace), m_settings(new UserSettings(this)),
      m_signals(new SignalWatcher({SIGTERM, SIGINT, SIGHUP}, this)) {
    connect(m_signals, &SignalWatcher::received, this, &TarnelApp::endOnSignal);
}

void TarnelApp::endOnSignal(int signal) {
    const QString name = SignalWatcher::name(signal);
    // A question open at that moment is answered by the signal.
    for (int i = 0; i < 8; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->close())
            break;
    }
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget))
            window->closeWithoutAsking(u"Tarnel received " + name);
    }
    if (m_preferences)
        m_preferences->close();
}

namespace {

QList<MainWindow *> mainWindows() {
    QList<MainWindow *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget); window && window->isVisible())
            windows << window;
    }
    return windows;
}

} // namespace

void TarnelApp::quit() {
    m_confirmed.clear();
    QList<QPointer<MainWindow>> converting;
    for (MainWindow *window : mainWindows()) {
        if (window->isConverting())
            converting << window;
    }
    askInTurn(converting);
}

void TarnelApp::askInTurn(QList<QPointer<MainWindow>> windows) {
    // Windows closed or finished meanwhile have nothing to ask.
    while (!windows.isEmpty() && (!windows.first() || !windows.first()->isConverting()))
        windows.removeFirst();
    if (windows.isEmpty()) {
        closeEverything();
        return;
    }
    const QPointer<MainWindow> window = windows.takeFirst();
    window->askToStop([this, window, windows](bool stop) {
        if (!stop)
            return;
        m_confirmed << window;
        askInTurn(windows);
    });
}

void TarnelApp::closeEverything() {
    // A window that began converting while the others answered asks too.
    QList<QPointer<MainWindow>> unasked;
    for (MainWindow *window : mainWindows()) {
        if (window->isConverting() && !m_confirmed.contains(window))
            unasked << window;
    }
    if (!unasked.isEmpty()) {
        askInTurn(unasked);
        return;
    }
    m_confirmed.clear();
    for (MainWindow *window : mainWindows())
        window->closeWithoutAsking(QString());
    QApplication::closeAllWindows();
}

TarnelApp::~TarnelApp() {
    delete m_preferences;
    // Windows still open (the event loop was left under them) use the settings
    // and the workspace, so they go first; a run still going is abandoned.
    QList<MainWindow *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget))
            windows << window;
    }
    qDeleteAll(windows);
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
