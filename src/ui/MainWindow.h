#pragma once

#include <QMainWindow>
#include <QPointer>

class AppMainView;
class QMessageBox;
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

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus(TarnelApp *app);
    // Asks whether to stop the conversion, without blocking: the run goes
    // on while the question is open.
    void askBeforeClosing();
    void runEnded();
    // Asks where to write the whole list's Final Cut Pro document.
    void chooseExportFile();
    // The status line: settings that cannot be saved, else that a drop is
    // still being searched, else what the last drop could not do as asked,
    // else the last export's outcome; no text when there is none of these.
    void showStatus();

    UserSettings *m_settings;
    AppMainView *m_view;
    QPointer<QMessageBox> m_closeQuestion;
    bool m_closeConfirmed = false;
    QString m_intakeWarning; // the last drop's warnings, until the list is emptied
    QString m_exportNote;    // where the last export went, or why it failed
};
