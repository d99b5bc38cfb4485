// The demo end to end, headless: the real application shell and main window,
// in the demo's own profile (prepared by run-demo-check: its settings with
// the REDline stand-in, its Desktop and Videos folders, the sample clips).
// The sample folder is dropped on the window and Start is pressed.
#include "AppMainView.h"
#include "DropZone.h"
#include "MainWindow.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QApplication>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

class DemoTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sampleClipsConvert() {
        const QString clips = qEnvironmentVariable("TARNEL_DEMO_CLIPS");
        QVERIFY2(QFileInfo(clips).isDir(), qPrintable(clips));
        const QString home = QDir::homePath();
        QVERIFY2(home.contains("tarnel-demo"), "must run in the demo profile, not a real home");

        TarnelApp app(Workspace::shared());
        QVERIFY(QFileInfo::exists(app.settings()->redlinePath())); // the stand-in
        MainWindow *window = app.newWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto *zone = window->findChild<DropZone *>("dropZone");
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(clips)});
        QDragEnterEvent enter(zone->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(zone, &enter);
        QDropEvent drop(zone->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(zone, &drop);
        TranscodeQueue *queue = window->view()->queue();
        QTRY_COMPARE(queue->jobs().size(), 3);

        auto *start = window->findChild<QPushButton *>("start");
        QVERIFY(start->isEnabled());
        start->click();
        QTRY_VERIFY_WITH_TIMEOUT(!queue->isConverting(), 180'000);

        const QString movies = home + "/Videos/Tarnel";
        for (const TranscodeJob *job : queue->jobs()) {
            QCOMPARE(job->status(), JobStatus::done);
            QVERIFY(job->outputURL().toLocalFile().startsWith(movies + "/"));
            QVERIFY(job->outputSizeBytes() > 0);
            QVERIFY(job->outputSizeBytes() < job->sourceSizeBytes());
            QCOMPARE(job->metadata()->width, qint64(1280));
        }
        QCOMPARE(QDir(movies).entryList({"*_tarnel.mov"}).size(), 3);

        QFile log(home + "/Desktop/Tarnel_debug.txt");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QVERIFY(text.contains("addFiles: found 3 R3D file(s), 3 new"));
        QVERIFY(text.contains("start: beginning queue of 3 file(s)"));
        QCOMPARE(text.count("step 1 done: output = " + movies + "/"), 3);
        QVERIFY(text.contains("step 2 done: fps=24 1280x720 frames=48"));
        QVERIFY(text.contains("step 2 done: fps=25 1280x720 frames=50"));
        QVERIFY(text.contains(QString::fromUtf8("queue finished — 3 file(s), 0 failed")));
        window->close();
    }
};

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
