// The main window and its run: what it shows of the list, REDline and the output
// folder, when Start may be pressed, what a run locks; several windows, each with
// its own list and run; the Final Cut export; closing or quitting during a run.
#include "ElidedLabel.h"
#include "JobListModel.h"
#include "JobListView.h"
#include "MainWindow.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "UiFixture.h"
#include "support/RecordingSoundPlayer.h"

#include <csignal>
#include <unistd.h>

class MainWindowTest : public UiFixture {
    Q_OBJECT

private Q_SLOTS:
    // The labels and Start follow the list; removing a row counts again.
    void countsFollowTheList() {
        settings().setRedlinePath(TestTools::redlineSim());
        AppMainView empty(&settings(), workspace());
        empty.show();
        QVERIFY(child<QLabel>(&empty, "placeholder")->isVisible());
        QVERIFY(!child<QLabel>(&empty, "runStatus")->isVisible());
        QVERIFY(!child<QPushButton>(&empty, "start")->isEnabled());

        auto view = viewWith({"A.R3D", "b.r3d"});
        QVERIFY(!child<QLabel>(view.get(), "placeholder")->isVisible());
        QCOMPARE(child<QLabel>(view.get(), "fileCount")->text(), QString("2 FILES"));
        QCOMPARE(child<QLabel>(view.get(), "sizeSummary")->text(), QString("•  2 KB → ~720 bytes"));
        QCOMPARE(child<QLabel>(view.get(), "runStatus")->text(), QString("2 ready"));
        clickButton(view->jobList(), 0, JobRowAction::remove);
        QCOMPARE(view->jobList()->model()->rowCount(), 1);
        QCOMPARE(child<QLabel>(view.get(), "fileCount")->text(), QString("1 FILE"));
        QVERIFY(child(view.get(), "start")->isEnabled());
    }

    // Start needs REDline and an output folder, and follows each change at once;
    // the download link opens through the workspace handed in.
    void startNeedsREDlineAndAFolder() {
        settings().setRedlinePath(TestTools::redlineSim());
        auto view = viewWith({"A.R3D"});
        QWidget *start = child(view.get(), "start");
        QVERIFY(start->isEnabled());
        settings().setRedlinePath(path("no REDline"));
        QVERIFY(!start->isEnabled());
        QVERIFY(child(view.get(), "redlineMissing")->isVisible());
        child<QPushButton>(view.get(), "downloadLink")->click();
        QCOMPARE(workspace().opened.size(), 1);
        settings().setRedlinePath(TestTools::redlineSim());
        QVERIFY(start->isEnabled());
        QVERIFY(child(view.get(), "redlineFound")->isVisible());

        settings().setOutputDirectory(QUrl());
        QVERIFY(!start->isEnabled());
        QCOMPARE(child<ElidedLabel>(view.get(), "outputFolder")->fullText(), QString("—"));
    }

    // A folder outside the home folder shows its full path, one inside it is
    // abbreviated; the default is one click away.
    void outputFolderShown() {
        auto view = viewWith({});
        auto *folder = child<ElidedLabel>(view.get(), "outputFolder");
        QWidget *useDefault = child(view.get(), "useDefault");
        QTemporaryDir outside(QStringLiteral("/tmp/tarnel-outside-XXXXXX"));
        settings().setOutputDirectory(QUrl::fromLocalFile(outside.filePath("out") + "/"));
        QCOMPARE(folder->fullText(), outside.filePath("out"));
        QVERIFY(useDefault->isVisible());

        const QString inHome = TestEnvironment::instance().home() + "/Clips Out";
        settings().setOutputDirectory(QUrl::fromLocalFile(inHome + "/"));
        QCOMPARE(folder->fullText(), QString("~/Clips Out"));
        QCOMPARE(folder->toolTip(), inHome);
        QTest::mouseClick(useDefault, Qt::LeftButton);
        QVERIFY(settings().isUsingDefaultOutputDirectory());
        QVERIFY(!useDefault->isVisible());
        QCOMPARE(folder->fullText(), QString("~/Videos/Tarnel"));
    }

    // Return presses Start; the run locks what would change the list or the
    // settings (drops still queue), and everything comes back at its end.
    void runLocksTheControls() {
        settings().setRedlinePath(TestTools::redlineSim());
        auto view = viewWith({"A.R3D"});
        RecordingSoundPlayer sounds; // silent
        view->queue()->setSoundPlayer(sounds);
        QWidget *start = child(view.get(), "start");
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        QTest::keyClick(view.get(), Qt::Key_Return); // the default button
        // The run starts at once; its first step comes from the event loop.
        QVERIFY(view->queue()->isConverting());
        QCOMPARE(child<QPushButton>(view.get(), "start")->text(), QString("Converting…"));
        QVERIFY(!start->isEnabled());
        for (const char *name : {"addFiles", "change", "useDefault", "clearList", "quality"})
            QVERIFY2(!child(view.get(), name)->isEnabled(), name);
        QVERIFY(child(view.get(), "dropZone")->isEnabled());
        QCOMPARE(child<QLabel>(view.get(), "runStatus")->text(), QString("Converting 1 of 1…"));

        QTRY_VERIFY_WITH_TIMEOUT(!view->queue()->isConverting(), 60'000);
        QCOMPARE(view->queue()->jobs()[0]->status(), JobStatus::done);
        QCOMPARE(child<QPushButton>(view.get(), "start")->text(), QString("Start"));
        QVERIFY(!start->isEnabled());
        QVERIFY(!child(view.get(), "runStatus")->isVisible());
        for (const char *name : {"addFiles", "change", "useDefault", "clearList", "quality"})
            QVERIFY2(child(view.get(), name)->isEnabled(), name);
    }

    // A failed hand-off shows its reason under the row; a later success clears it.
    void handOffFailureShowsOnTheRow() {
        auto view = viewWith({"A.R3D"});
        finish(view->queue()->jobs()[0], path("A_tarnel.mov"));
        JobListView *list = view->jobList();
        const QModelIndex row = list->model()->index(0, 0);
        QCoreApplication::processEvents();
        const int height = list->visualRect(row).height();
        clickButton(list, 0, JobRowAction::sendToFCP); // Final Cut Pro is not installed
        QCOMPARE(row.data(JobListModel::BadgeRole).toString(), QString("✓ done"));
        QVERIFY(row.data(JobListModel::NoticeRole).toString().startsWith("Final Cut Pro was not"));
        QVERIFY(list->visualRect(row).height() > height);
        const QString apps = TestEnvironment::instance().home() + "/.local/share";
        TestTools::installFinalCut(apps, path("opened.txt"));
        clickButton(list, 0, JobRowAction::sendToFCP);
        TestTools::removeFinalCut(apps);
        QCOMPARE(row.data(JobListModel::BadgeRole).toString(), QString("✓ in Final Cut"));
        QCOMPARE(row.data(JobListModel::NoticeRole).toString(), QString());
        QCOMPARE(list->visualRect(row).height(), height);
    }
    // Two windows, each with its own list and run, convert at once into one folder,
    // clips of one name and a name that holds another: every job is done and no two
    // name the same movie. (That each movie is whole and its own clip's, the claims
    // and discovery both faces share, tst_cli checks with two processes.)
    void twoWindowsOneFolder() {
        TarnelApp app(workspace());
        const QString out = path("out");
        QVERIFY(QDir().mkpath(out));
        app.settings()->setOutputDirectory(QUrl::fromLocalFile(out + '/'));
        app.settings()->setRedlinePath(TestTools::pairedRedline(path("REDline")));
        RecordingSoundPlayer sounds;
        QList<TranscodeQueue *> queues;
        for (const QStringList &clips :
             {QStringList{"one/A001_C001.R3D"}, QStringList{"two/A001_C001.R3D", "two/C001.R3D"}}) {
            MainWindow *window = app.newWindow();
            queues << window->view()->queue();
            queues.last()->setSoundPlayer(sounds);
            addClips(queues.last(), clips);
            QTest::mouseClick(child<QPushButton>(window, "start"), Qt::LeftButton);
            QVERIFY(queues.last()->isConverting());
        }
        QCOMPARE(queues[0]->jobs().size(), 1); // each window lists its own clips
        QTRY_VERIFY_WITH_TIMEOUT(!queues[0]->isConverting() && !queues[1]->isConverting(), 120'000);
        QSet<QString> movies;
        for (TranscodeQueue *queue : std::as_const(queues))
            for (const TranscodeJob *job : queue->jobs()) {
                QVERIFY2(job->status() == JobStatus::done,
                         qPrintable(job->errorMessage().value_or("")));
                movies << job->outputURL().toLocalFile();
            }
        QCOMPARE(movies.size(), 3);
        QCOMPARE(
            QDir(out).entryList(QDir::Files | QDir::Hidden),
            QStringList({"A001_C001_2_tarnel.mov", "A001_C001_tarnel.mov", "C001_tarnel.mov"}));
    }

    // Export for Final Cut takes converted clips only, and says where the document
    // went or why it could not be written.
    void exportForFinalCut() {
        TarnelApp app(workspace());
        MainWindow *window = app.newWindow();
        TranscodeQueue *queue = window->view()->queue();
        addClips(queue, {"A.R3D", "B.R3D"});
        auto *exportAll = child<QAction>(window, "exportAction");
        QVERIFY(!exportAll->isEnabled());
        finish(queue->jobs()[0], "/o/A_tarnel.mov");
        auto *file = qobject_cast<QMenu *>(exportAll->parent());
        file->popup({}); // the menu looks again as it opens
        QVERIFY(exportAll->isEnabled());
        file->close();
        window->exportForFinalCut(path("card.fcpxml"));
        auto *status = child<StatusLine>(window, "statusLine");
        QCOMPARE(status->text(),
                 "Final Cut document with 1 clip(s) saved to " + path("card.fcpxml"));
        QCOMPARE(status->look(), StatusLine::Look::plain);
        window->exportForFinalCut(path("no such folder/x.fcpxml"));
        QVERIFY(status->text().startsWith("Could not write"));
        QCOMPARE(status->look(), StatusLine::Look::warning);
    }

    // Closing a converting window asks first; the run ending or answering Close closes
    // it (the other window stays), SIGTERM closes all without asking. Quit asks every
    // converting window first: Cancel keeps all, Close closes all. REDline's group
    // never outlives its window.
    void closingWhileConverting_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("run ends first") << "go";
        QTest::newRow("user answers Close") << "Close";
        QTest::newRow("SIGTERM") << "SIGTERM";
        QTest::newRow("Quit, Cancel then Close") << "Quit";
    }
    void closingWhileConverting() {
        QFETCH(QString, how);
        TarnelApp app(workspace());
        app.settings()->setRedlinePath(TestTools::gatedRedline(dir()));
        QPointer<MainWindow> idle = app.newWindow();
        QPointer<MainWindow> window = app.newWindow();
        QVERIFY(QTest::qWaitForWindowExposed(idle));
        QCOMPARE(idle->view()->size(), QSize(520, 660)); // opens at its written size
        TranscodeQueue *queue = window->view()->queue();
        const qint64 group = startGatedRun(queue);
        QVERIFY2(group > 0, "REDline did not start");

        QPointer<QMessageBox> question;
        QAction *quit = nullptr;
        for (QAction *action : idle->findChildren<QAction *>())
            quit = action->text() == "Quit Tarnel" ? action : quit;
        QVERIFY(quit);
        if (how == "SIGTERM")
            QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        // Quit is answered Cancel, then Close; closing the window asks once; SIGTERM never.
        for (const auto answer : {QMessageBox::Cancel, QMessageBox::Close}) {
            if (how == "SIGTERM" || (how != "Quit" && answer == QMessageBox::Cancel))
                continue;
            if (how == "Quit")
                quit->trigger();
            else
                QVERIFY(!window->close());
            question = window->findChild<QMessageBox *>("closeQuestion");
            QVERIFY(question && question->isVisible());
            QVERIFY(idle && idle->isVisible() && queue->isConverting());
            if (how == "go")
                TestTools::touch(path("go")); // REDline goes on and the run ends
            else
                question->button(answer)->click();
            QTRY_VERIFY_WITH_TIMEOUT(!question, 60'000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window, 60'000);
        QTRY_COMPARE(idle.isNull(), how == "Quit" || how == "SIGTERM");
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
        const QStringList log = TestTools::logLines(path("log.txt"));
        if (how == "SIGTERM")
            QCOMPARE(log.mid(log.size() - 3),
                     QStringList({"abandon: Tarnel received SIGTERM",
                                  "abandon: stopping REDline, A.R3D left unfinished",
                                  "abandon: REDline stopped"}));
    }
};

TARNEL_TEST_MAIN_IMPL(MainWindowTest, QApplication)
#include "tst_mainwindow.moc"
