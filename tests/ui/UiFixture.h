#pragma once

#include "AppMainView.h"
#include "JobRowAction.h"
#include "model/TranscodeJob.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

class JobListView;

// The base of the window tests: before each test a fresh folder, an emptied
// settings store and a workspace that records instead of asking the desktop;
// and ways to act on the widgets as a user does.
class UiFixture : public QObject {
    Q_OBJECT

protected:
    QString dir() const { return m_dir->path(); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    UserSettings &settings() { return *m_settings; }
    RecordingWorkspace &workspace() { return m_workspace; }

    // Adds the named files (made on disk) to a queue that logs to log.txt.
    void addClips(TranscodeQueue *queue, const QStringList &names);
    // A shown main view whose list holds the named files (made on disk).
    std::unique_ptr<AppMainView> viewWith(const QStringList &names);
    // Starts converting A.R3D with the settings' REDline, which must be
    // TestTools::gatedRedline(dir()); REDline's process group once it runs, or 0.
    qint64 startGatedRun(TranscodeQueue *queue);

    // Marks a job converted, as the run does.
    static void finish(TranscodeJob *job, const QString &movie);
    // Announces a job the test changed, as the queue does for its own changes.
    static void announce(TranscodeJob *job) {
        Q_EMIT qobject_cast<TranscodeQueue *>(job->parent())->jobUpdated(job);
    }
    // Drops file URLs on a widget the way a file manager's drag does.
    static void dropUrls(QWidget *target, const QList<QUrl> &urls);
    // Clicks a row's button where it is drawn.
    static void clickButton(JobListView *list, int row, JobRowAction action);
    template <typename T = QWidget> static T *child(QObject *root, const char *name) {
        T *found = root->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

private Q_SLOTS:
    void init();
    void cleanup();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;
    RecordingWorkspace m_workspace;
};
