#pragma once

#include <QWidget>

class ConversionSession;
class DropZone;
class JobListModel;
class JobListView;
class QLabel;
class QPushButton;
class SettingsCard;
class Spinner;
class TranscodeJob;
class TranscodeQueue;
class UserSettings;
class Workspace;

// The main window's content: REDline status, quality and output folder, the
// drop zone, the list of jobs and the Start button. It owns the window's
// conversion session, observes its queue, the jobs and the shared settings,
// and redraws on every announced change; it never changes a job itself. The
// workspace it reveals files and opens pages with is handed in.
class AppMainView : public QWidget {
    Q_OBJECT

public:
    AppMainView(UserSettings *settings, Workspace &workspace, QWidget *parent = nullptr);
    ~AppMainView() override;

    ConversionSession *session() const { return m_session; }
    TranscodeQueue *queue() const { return m_queue; }
    JobListView *jobList() const { return m_list; }
    // Opens the panel for adding files and folders.
    void addFiles();
    // Whether REDline counts as found: something exists at the configured path.
    bool redlineFound() const;
    bool startEnabled() const;

    static QString fileCountText(int count);
    static QString sizeSummaryText(qint64 totalSource, qint64 estimatedOutput);
    static QString runStatusText(bool converting, int finished, int total, int queued);

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildBody();
    QWidget *buildStatusRow();
    QWidget *buildListHeader(QWidget *body);
    QWidget *buildBottomBar();
    // The run monitor's window check and time-left tooltip.
    void followRun();
    // The buttons, the drop zone and the rows' actions, wired to the queue.
    void connectActions();
    // Refreshes at the session's events and every change of the settings.
    void observe();
    void reveal(TranscodeJob *job);
    void refresh();
    // Refreshes once the current event is handled: a run changes job states
    // in bursts, and counting the list once per burst is enough.
    void refreshSoon();

    UserSettings *m_settings;
    Workspace &m_workspace;
    ConversionSession *m_session;
    TranscodeQueue *m_queue; // the session's

    QWidget *m_foundRow;
    QWidget *m_missingRow;
    QLabel *m_statusDot;
    SettingsCard *m_card;
    DropZone *m_dropZone;
    QLabel *m_placeholder;
    QWidget *m_listHeader;
    QLabel *m_fileCount;
    QLabel *m_sizeSummary;
    QPushButton *m_clear;
    JobListModel *m_model;
    JobListView *m_list;
    QPushButton *m_addFiles;
    Spinner *m_spinner;
    QLabel *m_runStatus;
    QPushButton *m_start;
    bool m_refreshPending = false;
};
