#pragma once

#include <QHash>
#include <QUuid>
#include <QWidget>

class DropZone;
class JobRowView;
class QLabel;
class QPushButton;
class QVBoxLayout;
class SettingsCard;
class Spinner;
class TranscodeQueue;
class UserSettings;

// The main window's content: REDline status, quality and output folder, the
// drop zone, the list of jobs and the Start button. It owns the window's
// queue, observes the queue, the jobs and the shared settings, and redraws on
// every announced change; it never changes a job itself.
class AppMainView : public QWidget {
    Q_OBJECT

public:
    explicit AppMainView(UserSettings *settings, QWidget *parent = nullptr);
    ~AppMainView() override;

    TranscodeQueue *queue() const { return m_queue; }
    // Opens the panel for adding files and folders.
    void addFiles();
    // Whether REDline counts as found: something exists at the configured path.
    bool redlineFound() const;
    bool startEnabled() const;

    static QString fileCountText(int count);
    static QString sizeSummaryText(qint64 totalSource, qint64 estimatedOutput);
    static QString runStatusText(bool converting, int finished, int total, int queued);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildStatusRow();
    QWidget *buildBottomBar();
    void syncRows();
    void refresh();

    UserSettings *m_settings;
    TranscodeQueue *m_queue;

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
    QWidget *m_rowsBox;
    QVBoxLayout *m_rows;
    QHash<QUuid, JobRowView *> m_rowViews;
    QPushButton *m_addFiles;
    Spinner *m_spinner;
    QLabel *m_runStatus;
    QPushButton *m_start;
};
