#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>

class AppMainView;
class QMessageBox;
class StatusLine;
class TarnelApp;
class UserSettings;

// One main window: its own queue and list, the shared settings, and the
// menus (File, Edit with the settings item, Options with the two switches).
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow(UserSettings *settings, TarnelApp *app);

    AppMainView *view() const { return m_view; }
    // Writes one Final Cut Pro document with every converted clip of the
    // list to `path` (File > Export for Final Cut...); the status line says
    // where it went, or why it could not be written.
    void exportForFinalCut(const QString &path);
    // Closes the window without asking, also during a run: the run is
    // abandoned, after logging `reason` when there is one.
    void closeWithoutAsking(const QString &reason);
    bool isConverting() const;
    // Asks whether to stop the conversion, without blocking: the run goes
    // on while the question is open. `answered` hears true when the user
    // chose Close or the run ended meanwhile, false on Cancel. Asked again
    // while the question is open, the one question answers both.
    void askToStop(const std::function<void(bool)> &answered);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus(TarnelApp *app);
    void buildFileMenu(TarnelApp *app);
    void buildOptionsMenu();
    void answer(bool stop);
    void runEnded();
    // Asks where to write the whole list's Final Cut Pro document.
    void chooseExportFile();
    // The status line: settings that cannot be saved, else that a drop is
    // still being searched, else what intake found wrong with the list as it
    // is now, else the last export's outcome; hidden when there is none.
    void showStatus();
    // The size the window opens at.
    QSize openingSize();

    UserSettings *m_settings;
    AppMainView *m_view;
    QPointer<QMessageBox> m_closeQuestion;
    QList<std::function<void(bool)>> m_waiting; // hear the open question's answer
    bool m_closeConfirmed = false;
    StatusLine *m_statusLine;
    QString m_exportNote; // where the last export went, or why it failed
    bool m_exportFailed = false;
};
