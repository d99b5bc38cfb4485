#include "AddFilesDialog.h"
#include "AppMainView.h"
#include "ColorFromHex.h"
#include "DropZone.h"
#include "ElidedLabel.h"
#include "JobListModel.h"
#include "JobListView.h"
#include "JobRowDelegate.h"
#include "JobRowText.h"
#include "MainWindow.h"
#include "Palette.h"
#include "PreferencesView.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "queue/ClipSearch.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"
#include "support/OfflineSession.h"
#include "support/RecordingSoundPlayer.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

template <typename T> T *child(QWidget *root, const char *name) {
    T *w = root->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

// Drops file URLs on a widget the way a file manager's drag would.
void dropUrls(QWidget *target, const QList<QUrl> &urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// Clicks a row's button where it is drawn.
void clickButton(JobListView *list, int row, JobRowAction action) {
    QCoreApplication::processEvents(); // pending layouts
    const QModelIndex index = list->model()->index(row, 0);
    const QRect button = list->rowDelegate()->layout(list->rowOption(index), index).rect(action);
    QVERIFY(!button.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
}

// A row as assistive technology sees it, and its child of that name.
QAccessibleInterface *accessibleRow(JobListView *list, int row) {
    return QAccessible::queryAccessibleInterface(list)->child(row);
}
QAccessibleInterface *accessiblePart(QAccessibleInterface *row, const QString &name) {
    for (int i = 0; i < row->childCount(); ++i)
        if (row->child(i)->text(QAccessible::Name) == name)
            return row->child(i);
    return nullptr;
}

// Collects what a widget repaints.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

} // namespace

class UiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;
    RecordingWorkspace m_workspace;

    // A shown main view whose list holds the named files (made on disk).
    std::unique_ptr<AppMainView> viewWith(const QStringList &names) {
        auto view = std::make_unique<AppMainView>(m_settings.get(), m_workspace);
        view->queue()->setLogPath(m_dir->filePath("log.txt"));
        for (const QString &name : names) {
            TestTools::touch(m_dir->filePath(name), 1000);
            view->queue()->addFiles({QUrl::fromLocalFile(m_dir->filePath(name))});
        }
        view->show();
        return view;
    }
    // Marks a job converted, as the run does.
    static void finish(TranscodeJob *job, const QString &movie) {
        job->setOutputURL(QUrl::fromLocalFile(movie));
        job->setProgress(1.0);
        job->setStatus(JobStatus::done);
    }
    // Starts converting A.R3D with a REDline held until "go"; returns REDline's group.
    qint64 startGatedRun(TranscodeQueue *queue) {
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        queue->setLogPath(m_dir->filePath("log.txt"));
        queue->addFiles({QUrl::fromLocalFile(m_dir->filePath("A.R3D"))});
        queue->start();
        if (!QTest::qWaitFor([&] { return QFile::exists(m_dir->filePath("started")); }, 30'000))
            qFatal("REDline did not start");
        return TestTools::recordedGroup(m_dir->filePath("started"));
    }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        TestEnvironment::instance().clearSettings();
        m_settings = std::make_unique<UserSettings>();
        m_workspace = RecordingWorkspace();
    }
    void cleanup() { m_settings.reset(); }

    // The palette's colours come from hex texts; a translucent one gets fainter.
    void colorFromHex() {
        QCOMPARE(::colorFromHex(u"#E24B4A").rgba(), qRgba(0xE2, 0x4B, 0x4A, 0xFF));
        QCOMPARE(Palette::withAlpha(QColor(0, 0, 0, 200), 0.3).alpha(), 60);
    }

    // A row's badge, sizes and buttons in each state.
    void rowTexts_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("progress");
        QTest::addColumn<qint64>("source");
        QTest::addColumn<qint64>("output");
        QTest::addColumn<QString>("shown"); // badge | sizes | buttons
        const auto row = [](const char *tag, JobStatus status, double progress, qint64 source,
                            qint64 output, const char *shown) {
            QTest::newRow(tag) << int(status) << progress << source << output
                               << QString::fromUtf8(shown);
        };
        using S = JobStatus;
        row("queued", S::queued, 0, 5'400'000'000, 0, "waiting | 5.4 GB | Remove from list");
        row("starting", S::converting, 0, 1000, 0, "starting… | 1 KB | ");
        row("barely started", S::converting, 0.0015, 1000, 0, "converting 0% | 1 KB | ");
        row("converting", S::converting, 0.4267, 1000, 0, "converting 42% | 1 KB | ");
        row("done, smaller", S::done, 1, 10'000'000'000, 3'550'000'000,
            "✓ done | 10 GB → 3.55 GB  (64% smaller) | Send to Final Cut, Show in Finder");
        row("in Final Cut, larger", S::sentToFCP, 1, 1000, 1200,
            "✓ in Final Cut | 1 KB → 1 KB | Send to Final Cut, Show in Finder");
        row("unknown source size", S::done, 1, 0, 5000,
            "✓ done | Zero KB → 5 KB | Send to Final Cut, Show in Finder");
        row("less than 1 % smaller", S::done, 1, 100'000, 99'500,
            "✓ done | 100 KB → 100 KB | Send to Final Cut, Show in Finder");
    }
    void rowTexts() {
        QFETCH(int, status);
        QFETCH(double, progress);
        QFETCH(qint64, source);
        QFETCH(qint64, output);
        OfflineSession session(*m_settings, m_dir->filePath("log.txt"));
        TranscodeQueue &queue = session.queue();
        queue.addFiles({QUrl::fromLocalFile("/card/clip.take.R3D")});
        JobListModel model(&session.session);
        TranscodeJob *job = queue.jobs().first();
        job->setSourceSizeBytes(source);
        job->setOutputSizeBytes(output);
        job->setProgress(progress);
        job->setStatus(JobStatus(status));
        const QModelIndex row = model.index(0);
        QCOMPARE(row.data().toString(), QString("clip.take"));
        QStringList buttons;
        for (JobRowAction action : JobRowDelegate().actions(row))
            buttons << JobRowText::actionName(action);
        QTEST(QString(row.data(JobListModel::BadgeRole).toString() + " | " +
                      row.data(JobListModel::SizesRole).toString() + " | " + buttons.join(", ")),
              "shown");
    }

    // Rows follow the queue; a change in a job announces that job's row alone.
    void modelFollowsTheQueue() {
        const auto url = [](const char *name) { return QUrl::fromLocalFile(u"/card/"_qs + name); };
        OfflineSession session(*m_settings, m_dir->filePath("log.txt"));
        TranscodeQueue &queue = session.queue();
        JobListModel model(&session.session);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Rows inserted (+), removed (-), changed (~), a reset.
        QStringList told;
        const auto rows = [&](const char *kind) {
            return [&told, kind](const QModelIndex &, int first, int last) {
                told << kind + QString::number(first) + u'-' + QString::number(last);
            };
        };
        connect(&model, &QAbstractItemModel::rowsInserted, this, rows("+"));
        connect(&model, &QAbstractItemModel::rowsRemoved, this, rows("-"));
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &from, const QModelIndex &to) {
                    rows("~")({}, from.row(), to.row());
                });
        connect(&model, &QAbstractItemModel::modelReset, this, [&] { told << "reset"; });

        queue.addFiles({url("A.R3D"), url("B.R3D")});
        queue.addFiles({url("C.R3D"), url("A.R3D")}); // A is listed already
        TranscodeJob *b = queue.jobs()[1];
        b->setStatus(JobStatus::converting);
        queue.remove(queue.jobs()[0]);
        b->setErrorMessage("at row 0 now");
        queue.addFiles({url("D.R3D")});
        queue.clearList(); // keeps the converting job
        QCOMPARE(model.job(0), b);
        QCOMPARE(told, (QStringList{"+0-1", "+2-2", "~1-1", "-0-0", "~0-0", "+2-2", "-1-2"}));
    }

    // A dropped folder (without a trailing "/") lists its clips; labels and Start follow
    // the list, REDline and the output folder; Return starts a run, which locks the list.
    void dropStartAndRun() {
        for (const char *name : {"A.R3D", "b.r3d", "notes.txt", "clip.mov"})
            TestTools::touch(m_dir->filePath(name), 1000);
        m_settings->setRedlinePath(TestTools::redlineSim());
        AppMainView view(m_settings.get(), m_workspace);
        view.show();
        view.queue()->setLogPath(m_dir->filePath("log.txt"));
        RecordingSoundPlayer sounds; // silent
        view.queue()->setSoundPlayer(&sounds);
        auto *start = child<QPushButton>(&view, "start");
        QVERIFY(child<QLabel>(&view, "placeholder")->isVisible());
        QVERIFY(!child<QLabel>(&view, "runStatus")->isVisible());
        QVERIFY(!start->isEnabled()); // empty list

        dropUrls(
            child<DropZone>(&view, "dropZone"),
            {QUrl::fromLocalFile(m_dir->path()), QUrl::fromLocalFile(m_dir->filePath("clip.mov"))});
        QTRY_COMPARE(view.jobList()->model()->rowCount(), 2);
        QVERIFY(!child<QLabel>(&view, "placeholder")->isVisible());
        QCOMPARE(child<QLabel>(&view, "fileCount")->text(), QString("2 FILES"));
        QCOMPARE(child<QLabel>(&view, "sizeSummary")->text(), QString("•  2 KB → ~720 bytes"));
        QCOMPARE(child<QLabel>(&view, "runStatus")->text(), QString("2 ready"));
        clickButton(view.jobList(), 0, JobRowAction::remove);
        QCOMPARE(view.jobList()->model()->rowCount(), 1);
        QCOMPARE(child<QLabel>(&view, "fileCount")->text(), QString("1 FILE"));
        QVERIFY(start->isEnabled());

        m_settings->setRedlinePath(m_dir->filePath("no REDline"));
        QVERIFY(!start->isEnabled()); // refreshed at once
        QVERIFY(child<QWidget>(&view, "redlineMissing")->isVisible());
        child<QPushButton>(&view, "downloadLink")->click();
        QCOMPARE(m_workspace.opened.size(), 1); // through the workspace handed in
        m_settings->setRedlinePath(TestTools::redlineSim());
        QVERIFY(start->isEnabled());
        QVERIFY(child<QWidget>(&view, "redlineFound")->isVisible());

        m_settings->setOutputDirectory(QUrl());
        QVERIFY(!start->isEnabled()); // no output folder
        QCOMPARE(child<ElidedLabel>(&view, "outputFolder")->fullText(), QString("—"));
        // A folder outside the home folder shows its full path.
        QTemporaryDir outside(QStringLiteral("/tmp/tarnel-outside-XXXXXX"));
        const QString out = outside.filePath("out");
        m_settings->setOutputDirectory(QUrl::fromLocalFile(out + "/"));
        QVERIFY(start->isEnabled());
        QCOMPARE(child<ElidedLabel>(&view, "outputFolder")->fullText(), out);
        QVERIFY(child<QPushButton>(&view, "useDefault")->isVisible());

        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QTest::keyClick(&view, Qt::Key_Return); // the default button
        // The run starts at once; its first step comes from the event loop.
        QVERIFY(view.queue()->isConverting());
        QCOMPARE(start->text(), QString("Converting…"));
        QVERIFY(!start->isEnabled());
        for (const char *name : {"addFiles", "change", "useDefault", "clearList", "quality"})
            QVERIFY2(!child<QWidget>(&view, name)->isEnabled(), name);
        QVERIFY(child<QWidget>(&view, "dropZone")->isEnabled());
        QCOMPARE(child<QLabel>(&view, "runStatus")->text(), QString("Converting 1 of 1…"));

        QTRY_VERIFY_WITH_TIMEOUT(!view.queue()->isConverting(), 60'000);
        QCOMPARE(start->text(), QString("Start"));
        QVERIFY(!start->isEnabled());
        QVERIFY(!child<QLabel>(&view, "runStatus")->isVisible());
        for (const char *name : {"addFiles", "change", "useDefault", "clearList"})
            QVERIFY2(child<QWidget>(&view, name)->isEnabled(), name);

        // A failed hand-off shows its reason on the row; a later success clears it.
        JobListView *list = view.jobList();
        const QModelIndex row = list->model()->index(0, 0);
        const int height = list->visualRect(row).height();
        clickButton(list, 0, JobRowAction::sendToFCP); // Final Cut Pro is not installed
        QCOMPARE(row.data(JobListModel::BadgeRole).toString(), QString("✓ done"));
        QVERIFY(row.data(JobListModel::NoticeRole).toString().startsWith("Final Cut Pro was not"));
        QVERIFY(list->visualRect(row).height() > height);
        const QString apps = TestEnvironment::instance().home() + "/.local/share";
        TestTools::installFinalCut(apps, m_dir->filePath("opened.txt"));
        clickButton(list, 0, JobRowAction::sendToFCP);
        TestTools::removeFinalCut(apps);
        QCOMPARE(row.data(JobListModel::BadgeRole).toString(), QString("✓ in Final Cut"));
        QCOMPARE(row.data(JobListModel::NoticeRole).toString(), QString());
        QCOMPARE(list->visualRect(row).height(), height);

        // A folder in the home folder is abbreviated; the default is one click away.
        const QString inHome = TestEnvironment::instance().home() + "/Clips Out";
        m_settings->setOutputDirectory(QUrl::fromLocalFile(inHome + "/"));
        auto *folder = child<ElidedLabel>(&view, "outputFolder");
        QCOMPARE(folder->fullText(), QString("~/Clips Out"));
        QCOMPARE(folder->toolTip(), inHome);
        child<QPushButton>(&view, "useDefault")->click();
        QVERIFY(m_settings->isUsingDefaultOutputDirectory());
        QVERIFY(!child<QPushButton>(&view, "useDefault")->isVisible());
        QCOMPARE(folder->fullText(), QString("~/Videos/Tarnel"));
    }

    // Each window has its own list; settings are shared, and a failure to save shows.
    void windowsShareSettingsNotLists() {
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        TarnelApp app(m_workspace);
        MainWindow *first = app.newWindow();
        MainWindow *second = app.newWindow();
        first->view()->queue()->setLogPath(m_dir->filePath("log.txt"));
        dropUrls(child<DropZone>(first, "dropZone"),
                 {QUrl::fromLocalFile(m_dir->filePath("A.R3D"))});
        QTRY_COMPARE(first->view()->jobList()->model()->rowCount(), 1);
        QCOMPARE(second->view()->jobList()->model()->rowCount(), 0);

        auto *autoSend = child<QAction>(first, "autoSendAction");
        auto *sound = child<QAction>(first, "soundAction");
        QVERIFY(!autoSend->isChecked() && sound->isChecked()); // empty store: off, on
        autoSend->trigger();
        sound->trigger();
        QVERIFY(app.settings()->autoSendToFCP() && !UserSettings().playCompletionSound()); // stored
        QVERIFY(child<QAction>(second, "autoSendAction")->isChecked());
        child<QAction>(first, "nameLikeClipsAction")->trigger();
        QVERIFY(UserSettings().nameMoviesLikeClips() &&
                child<QAction>(second, "nameLikeClipsAction")->isChecked());

        // What a drop could not add shows in its window's status line until the list is
        // emptied, behind unsaved settings, which show until a change is saved.
        const QString card = m_dir->filePath("card");
        QDir().mkpath(card);
        TestTools::touch(card + "/B.R3D");
        ::close(::open(QByteArray(QFile::encodeName(card) + "/caf\xe9.R3D").constData(),
                       O_CREAT | O_WRONLY, 0644));
        second->view()->queue()->setLogPath(m_dir->filePath("log.txt"));
        // The search, held at its first listing, shows as looking for clips.
        QSemaphore held;
        second->view()->queue()->clipSearch()->setBeforeListing(
            [&](const QString &) { held.acquire(); });
        dropUrls(child<DropZone>(second, "dropZone"), {QUrl::fromLocalFile(card + '/')});
        auto *status = child<StatusLine>(second, "statusLine");
        QTRY_VERIFY(status->isVisible());
        QCOMPARE(status->text(), QString("Looking for clips…"));
        QCOMPARE(status->look(), StatusLine::Look::plain);
        QCOMPARE(second->view()->jobList()->model()->rowCount(), 0);
        held.release();
        QTRY_COMPARE(second->view()->jobList()->model()->rowCount(), 1);
        QTRY_COMPARE(status->look(), StatusLine::Look::warning);
        const QString warning = status->text();
        QVERIFY2(warning.startsWith("Skipped 1 R3D file(s) whose names are not valid UTF-8"),
                 qPrintable(warning));
        QVERIFY(!child<StatusLine>(first, "statusLine")->isVisible());

        const QString folder = QFileInfo(TestEnvironment::instance().settingsFile()).path();
        auto *line = child<QLabel>(app.showPreferences(), "settingsError");
        QVERIFY(QDir(folder).removeRecursively());
        TestTools::touch(folder); // a file where the settings folder should be
        app.settings()->setSelectedPreset(ProResPreset::proRes422HQ);
        QVERIFY(QFile::remove(folder));
        QVERIFY(line->isVisible() && line->text() == app.settings()->saveError());
        QCOMPARE(status->text(), app.settings()->saveError());
        QVERIFY(child<StatusLine>(first, "statusLine")->isVisible());
        app.settings()->setAutoSendToFCP(false); // saved again
        QVERIFY(!line->isVisible() && !child<StatusLine>(first, "statusLine")->isVisible());
        QCOMPARE(status->text(), warning);
        second->view()->queue()->clearList();
        QVERIFY(!status->isVisible());

        // Export for Final Cut takes converted clips only.
        auto *exportAll = child<QAction>(first, "exportAction");
        QVERIFY(!exportAll->isEnabled());
        first->view()->queue()->jobs()[0]->setOutputURL(QUrl::fromLocalFile("/o/A_tarnel.mov"));
        Q_EMIT first->view()->queue()->jobsChanged();
        QVERIFY(exportAll->isEnabled());
        first->exportForFinalCut(m_dir->filePath("card.fcpxml"));
        auto *firstStatus = child<StatusLine>(first, "statusLine");
        QCOMPARE(firstStatus->text(),
                 "Final Cut document with 1 clip(s) saved to " + m_dir->filePath("card.fcpxml"));
        QCOMPARE(firstStatus->look(), StatusLine::Look::plain);
        first->exportForFinalCut(m_dir->filePath("no such folder/x.fcpxml"));
        QVERIFY(firstStatus->text().startsWith("Could not write"));
        QCOMPARE(firstStatus->look(), StatusLine::Look::warning);
        first->close();
        second->close();
    }

    // The REDline path is stored as typed; Detect finds it on PATH; a relative path is
    // not found, even with a REDline in the working folder.
    void redlinePathInThePreferences() {
        const QString folder = m_dir->filePath("bin"), previous = QDir::currentPath();
        QDir().mkpath(folder);
        const QString redline = TestTools::script(folder + "/REDline", "exit 0\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", ".:" + folder.toUtf8()); // "." would find the same REDline as ./REDline
        QDir::setCurrent(folder);
        TarnelApp app(m_workspace);
        MainWindow *window = app.newWindow();
        PreferencesView *prefs = app.showPreferences();
        auto *field = child<QLineEdit>(prefs, "redlinePath");
        auto *status = child<QLabel>(prefs, "redlineStatus");
        QCOMPARE(field->text(), UserSettings::defaultRedlinePath());
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(UserSettings().redlinePath(), QString()); // cleared: stored as empty
        QVERIFY(status->text().startsWith("✗ Not found"));
        QTest::mouseClick(child<QPushButton>(prefs, "detect"), Qt::LeftButton);
        qputenv("PATH", path);
        QCOMPARE(app.settings()->redlinePath(), redline);
        QCOMPARE(status->text(), QString("✓ REDline found"));
        field->selectAll();
        QTest::keyClicks(field, "REDline");
        QCOMPARE(UserSettings().redlinePath(), QString("REDline"));
        QVERIFY(status->text().startsWith("✗ Not found"));
        QVERIFY(child<QWidget>(window, "redlineMissing")->isVisibleTo(window));
        QDir::setCurrent(previous);
        window->close();
    }

    // A job's change repaints its row alone; a row grown by its error moves the rows
    // below, and is measured again when the error changes. (How an error without
    // breaks wraps is checked on the small screen of tst_desktop.)
    void listRepaintsAndMeasuresOneRow() {
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        JobListView *list = view->jobList();
        TranscodeJob *a = view->queue()->jobs()[0];
        a->setStatus(JobStatus::converting);
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QCoreApplication::processEvents();
        const auto row = [&](int r) { return list->visualRect(list->model()->index(r, 0)); };
        const QRect b = row(1), c = row(2);

        PaintRecorder paints(list->viewport());
        a->setSourceSizeBytes(2'000'000);
        QTRY_VERIFY(!paints.painted.isEmpty());
        QVERIFY(row(0).contains(paints.painted.boundingRect()));

        a->setErrorMessage("REDline exited with code 3:\ndecode error\ngiving up");
        a->setStatus(JobStatus::failed);
        const int growth = row(1).top() - b.top();
        QVERIFY(growth > 0);
        QCOMPARE(row(1).height(), b.height());
        QCOMPARE(row(2), c.translated(0, growth));
        QTRY_COMPARE(list->height(), row(2).bottom() + 1);

        a->setErrorMessage(QString::fromLatin1(QByteArray(600, '\0').toBase64())); // one word
        QTRY_COMPARE(list->height(), row(2).bottom() + 1);                         // laid out again
        QCOMPARE(view->findChild<QScrollArea *>()->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(row(0).width(), list->viewport()->width());
    }

    // Tab, arrows, Space, Return and Delete drive the row buttons (Return not Start).
    void keyboardDrivesTheButtons() {
        m_settings->setRedlinePath(TestTools::redlineSim());
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        finish(view->queue()->jobs()[1], "/movies/B.mov");
        JobListView *list = view->jobList();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        list->setFocus(Qt::TabFocusReason);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(list->focusedAction(), JobRowAction::remove);

        QTest::keyClick(list, Qt::Key_Tab); // the done row's first button
        QCOMPARE(list->currentIndex().row(), 1);
        QCOMPARE(list->focusedAction(), JobRowAction::sendToFCP);
        QTest::keyClick(list, Qt::Key_Right);
        QCOMPARE(list->focusedAction(), JobRowAction::reveal);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(m_workspace.revealed, QStringList{"/movies/B.mov"});
        QVERIFY(!view->queue()->isConverting()); // Start was not pressed
        QTest::keyClick(list, Qt::Key_Delete);   // a done row is not removed
        QCOMPARE(view->queue()->jobs().size(), 3);

        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->focusedAction(), JobRowAction::remove);
        QTest::keyClick(list, Qt::Key_Delete);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(view->queue()->jobs().size(), 1);
        QCOMPARE(view->queue()->jobs()[0]->sourceURL().fileName(), QString("B.R3D"));
        QCOMPARE(list->focusedAction(), JobRowAction::sendToFCP);
        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(list->focusedAction(), JobRowAction::reveal);
        QTest::keyClick(list, Qt::Key_Tab); // past the last button: out of the list
        QVERIFY(!list->hasFocus());
    }

    // Assistive technology reads each row and presses its buttons by name.
    void accessibleRowsAndActions() {
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        finish(view->queue()->jobs()[1], "/movies/B.mov");
        TranscodeJob *c = view->queue()->jobs()[2];
        c->setErrorMessage("REDline was not found");
        c->setStatus(JobStatus::failed);
        JobListView *list = view->jobList();
        QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(rows->role(), QAccessible::List);
        QCOMPARE(rows->childCount(), 3);

        QAccessibleInterface *b = accessibleRow(list, 1);
        QCOMPARE(b->text(QAccessible::Name), QString("B"));
        QCOMPARE(b->text(QAccessible::Description), QString("✓ done, 1 KB"));
        QCOMPARE(b->actionInterface()->actionNames(),
                 (QStringList{"Send to Final Cut", "Show in Finder"}));
        QAccessibleInterface *reveal = accessiblePart(b, "Show in Finder");
        QVERIFY(reveal);
        QCOMPARE(reveal->role(), QAccessible::Button);
        reveal->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(m_workspace.revealed, QStringList{"/movies/B.mov"});

        QAccessibleInterface *failed = accessibleRow(list, 2);
        for (const char *text : {"failed", "1 KB", "REDline was not found"})
            QCOMPARE(accessiblePart(failed, text)->role(), QAccessible::StaticText);
        QVERIFY(failed->actionInterface()->actionNames().isEmpty());

        QAccessibleInterface *a = accessibleRow(list, 0);
        QCOMPARE(a->actionInterface()->actionNames(), QStringList{"Remove from list"});
        a->actionInterface()->doAction("Remove from list");
        QCOMPARE(rows->childCount(), 2);
        QCOMPARE(accessibleRow(list, 0)->text(QAccessible::Name), QString("B"));
    }

    // Closing a converting window asks first; the run ending or answering Close closes
    // it, SIGTERM closes it without asking; REDline's group never outlives the window.
    void closingWhileConverting_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("run ends first") << "go";
        QTest::newRow("user answers Close") << "Close";
        QTest::newRow("SIGTERM") << "SIGTERM";
    }
    void closingWhileConverting() {
        QFETCH(QString, how);
        const QString log = m_dir->filePath("log.txt");
        TarnelApp app(m_workspace);
        app.settings()->setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        QPointer<MainWindow> window = app.newWindow();
        TranscodeQueue *queue = window->view()->queue();
        const qint64 group = startGatedRun(queue);
        QVERIFY(group > 0);

        QPointer<QMessageBox> question;
        if (how == "SIGTERM") {
            QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        } else {
            QVERIFY(!window->close());
            question = window->findChild<QMessageBox *>("closeQuestion");
            QVERIFY(question && question->isVisible());
            QVERIFY(queue->isConverting());
            if (how == "Close")
                question->button(QMessageBox::Close)->click();
            else
                TestTools::touch(m_dir->filePath("go")); // REDline goes on and the run ends
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window, 60'000);
        QVERIFY(!question);
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
        if (how == "SIGTERM")
            QCOMPARE(TestTools::logLines(log).mid(TestTools::logLines(log).size() - 3),
                     QStringList({"abandon: Tarnel received SIGTERM",
                                  "abandon: stopping REDline, A.R3D left unfinished",
                                  "abandon: REDline stopped"}));
    }

    // Quit asks every converting window first: Cancel keeps all, Close closes all.
    void quitAsksBeforeClosingAnything() {
        TarnelApp app(m_workspace);
        app.settings()->setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        QPointer<MainWindow> idle = app.newWindow();
        QPointer<MainWindow> busy = app.newWindow();
        QVERIFY(QTest::qWaitForWindowExposed(idle));
        QCOMPARE(idle->view()->size(), QSize(520, 660)); // opens at its written size
        TranscodeQueue *queue = busy->view()->queue();
        const qint64 group = startGatedRun(queue);
        QVERIFY(group > 0);
        QAction *quit = nullptr;
        for (QAction *action : idle->findChildren<QAction *>())
            quit = action->text() == "Quit Tarnel" ? action : quit;
        QVERIFY(quit);

        for (const auto answer : {QMessageBox::Cancel, QMessageBox::Close}) {
            quit->trigger();
            QPointer<QMessageBox> question = busy->findChild<QMessageBox *>("closeQuestion");
            QVERIFY(question && question->isVisible());
            QVERIFY(idle && idle->isVisible() && queue->isConverting());
            question->button(answer)->click();
            QTRY_VERIFY(!question);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!idle && !busy, 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
    }

    // The Add Files panel says "Add" for selected folders and adds several as folders.
    void addPanelPicksFolders() {
        QDir(m_dir->path()).mkdir("Card");
        QDir(m_dir->path()).mkdir("Card 2.RDM");
        AddFilesDialog panel;
        panel.setDirectory(m_dir->path());
        panel.show();
        auto *list = panel.findChild<QListView *>("listView");
        auto *files = qobject_cast<QFileSystemModel *>(list->model());
        QTRY_VERIFY(files->index(m_dir->filePath("Card 2.RDM")).isValid());
        list->selectionModel()->select(files->index(m_dir->filePath("Card")),
                                       QItemSelectionModel::ClearAndSelect);
        list->selectionModel()->select(files->index(m_dir->filePath("Card 2.RDM")),
                                       QItemSelectionModel::Select);
        QPushButton *add = panel.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open);
        QCOMPARE(add->text(), QString("Add"));
        QVERIFY(add->isEnabled());
        add->click();
        QCOMPARE(panel.result(), int(QDialog::Accepted));
        QCOMPARE(panel.chosen(),
                 (QList<QUrl>{QUrl::fromLocalFile(m_dir->filePath("Card/")),
                              QUrl::fromLocalFile(m_dir->filePath("Card 2.RDM/"))}));
    }
};

TARNEL_TEST_MAIN_IMPL(UiTest, QApplication)
#include "tst_ui.moc"
