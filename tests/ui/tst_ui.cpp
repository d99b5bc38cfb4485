#include "AppMainView.h"
#include "ColorFromHex.h"
#include "DropZone.h"
#include "ElidedLabel.h"
#include "JobRowView.h"
#include "MainWindow.h"
#include "PreferencesView.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <csignal>
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

// Whether a row shows its part of that name (parts may not exist until needed).
bool shows(QWidget *row, const char *name) {
    QWidget *w = row->findChild<QWidget *>(QString::fromLatin1(name));
    return w && w->isVisible();
}

QList<JobRowView *> rows(QWidget *view) {
    QList<JobRowView *> out;
    for (JobRowView *r : view->findChildren<JobRowView *>()) {
        if (r->isVisibleTo(view))
            out << r;
    }
    return out;
}

} // namespace

class UiTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        TestEnvironment::instance().clearSettings();
        m_settings = std::make_unique<UserSettings>();
    }
    void cleanup() { m_settings.reset(); }

    void colorFromHex_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRgb>("rgb");
        QTest::newRow("palette red") << "#E24B4A" << qRgb(0xE2, 0x4B, 0x4A);
        QTest::newRow("junk around") << "  ##3B6D11;! " << qRgb(0x3B, 0x6D, 0x11);
    }
    void colorFromHex() {
        QFETCH(QString, text);
        QFETCH(QRgb, rgb);
        const QColor c = ::colorFromHex(text);
        QCOMPARE(c.rgb(), rgb);
        QCOMPARE(c.alphaF(), 1.0f);
    }

    void badgeAndSizes_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("progress");
        QTest::addColumn<qint64>("source");
        QTest::addColumn<qint64>("output");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("sizes");
        const int q = int(JobStatus::queued), c = int(JobStatus::converting),
                  d = int(JobStatus::done), s = int(JobStatus::sentToFCP),
                  f = int(JobStatus::failed);
        QTest::newRow("queued") << q << 0.0 << qint64(5'400'000'000) << qint64(0) << "waiting"
                                << "5.4 GB";
        QTest::newRow("starting") << c << 0.0 << qint64(1000) << qint64(0) << "starting…"
                                  << "1 KB";
        QTest::newRow("barely started")
            << c << 0.0015 << qint64(1000) << qint64(0) << "converting 0%"
            << "1 KB";
        QTest::newRow("converting") << c << 0.4267 << qint64(1000) << qint64(0) << "converting 42%"
                                    << "1 KB";
        QTest::newRow("never 100 while converting")
            << c << 0.999 << qint64(1000) << qint64(0) << "converting 99%"
            << "1 KB";
        QTest::newRow("done, smaller")
            << d << 1.0 << qint64(10'000'000'000) << qint64(3'550'000'000) << "✓ done"
            << "10 GB → 3.55 GB  (64% smaller)";
        QTest::newRow("in Final Cut, larger")
            << s << 1.0 << qint64(1000) << qint64(1200) << "✓ in Final Cut"
            << "1 KB → 1 KB";
        QTest::newRow("unknown source size") << d << 1.0 << qint64(0) << qint64(5000) << "✓ done"
                                             << "Zero KB → 5 KB";
        QTest::newRow("less than 1 % smaller")
            << d << 1.0 << qint64(100'000) << qint64(99'500) << "✓ done"
            << "100 KB → 100 KB";
        QTest::newRow("failed") << f << 0.3 << qint64(2000) << qint64(0) << "failed"
                                << "2 KB";
    }
    void badgeAndSizes() {
        QFETCH(int, status);
        QFETCH(double, progress);
        QFETCH(qint64, source);
        QFETCH(qint64, output);
        QFETCH(QString, badge);
        QFETCH(QString, sizes);
        TranscodeJob job(QUrl::fromLocalFile("/card/clip.take.R3D"));
        job.setSourceSizeBytes(source);
        job.setOutputSizeBytes(output);
        job.setProgress(progress);
        job.setStatus(JobStatus(status));
        JobRowView row(
            &job, true, [] {}, [] {}, [] {});
        row.show();
        QCOMPARE(child<QLabel>(&row, "badge")->text(), badge);
        QCOMPARE(child<QLabel>(&row, "sizes")->text(), sizes);
        QCOMPARE(child<ElidedLabel>(&row, "name")->fullText(), QString("clip.take"));
    }

    // Which parts of a row show in which state, and that they follow the job.
    void rowFollowsItsJob() {
        TranscodeJob job(QUrl::fromLocalFile("/card/A.R3D"));
        int removed = 0, sent = 0, revealed = 0;
        JobRowView row(
            &job, false, [&] { ++removed; }, [&] { ++sent; }, [&] { ++revealed; });
        row.show();
        auto *remove = child<QToolButton>(&row, "remove");
        QVERIFY(remove->isVisible());
        QVERIFY(!shows(&row, "progress") && !shows(&row, "reveal") && !shows(&row, "error"));
        remove->click();
        QCOMPARE(removed, 1);

        job.setStatus(JobStatus::converting);
        QVERIFY(!remove->isVisible());
        QVERIFY(shows(&row, "progress")); // an empty bar while starting

        job.setProgress(1.0);
        job.setStatus(JobStatus::done);
        QVERIFY(shows(&row, "reveal"));
        QVERIFY(!shows(&row, "send")); // automatic sending is on for this row
        row.setShowSendToFCP(true);
        QVERIFY(shows(&row, "send"));
        child<QPushButton>(&row, "send")->click();
        child<QPushButton>(&row, "reveal")->click();
        QCOMPARE(sent, 1);
        QCOMPARE(revealed, 1);

        // A failed manual hand-off: the message stays hidden while the job is done.
        job.setErrorMessage("could not be saved");
        QVERIFY(!shows(&row, "error"));
        job.setStatus(JobStatus::failed);
        QVERIFY(shows(&row, "error"));
        QVERIFY(!shows(&row, "reveal"));
        QVERIFY(shows(&row, "progress")); // where the conversion had come
        auto *error = child<QLabel>(&row, "error");
        QCOMPARE(error->text(), QString("could not be saved"));
    }

    void dropFolderShowsRows() {
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        TestTools::touch(m_dir->filePath("b.r3d"), 1000);
        TestTools::touch(m_dir->filePath("notes.txt"), 1000);
        TestTools::touch(m_dir->filePath("clip.mov"), 1000);
        AppMainView view(m_settings.get());
        view.show();
        view.queue()->setLogPath(m_dir->filePath("log.txt"));
        QVERIFY(child<QLabel>(&view, "placeholder")->isVisible());
        QVERIFY(!child<QLabel>(&view, "runStatus")->isVisible());

        // A folder (without the trailing "/" file managers send) and a movie.
        dropUrls(
            child<DropZone>(&view, "dropZone"),
            {QUrl::fromLocalFile(m_dir->path()), QUrl::fromLocalFile(m_dir->filePath("clip.mov"))});
        QTRY_COMPARE(rows(&view).size(), 2);
        QVERIFY(!child<QLabel>(&view, "placeholder")->isVisible());
        QCOMPARE(child<QLabel>(&view, "fileCount")->text(), QString("2 FILES"));
        QCOMPARE(child<QLabel>(&view, "sizeSummary")->text(), QString("•  2 KB → ~720 bytes"));
        QCOMPARE(child<QLabel>(&view, "runStatus")->text(), QString("2 ready"));

        // Removing a row through its button.
        child<QToolButton>(rows(&view).first(), "remove")->click();
        QTRY_COMPARE(rows(&view).size(), 1);
        QCOMPARE(child<QLabel>(&view, "fileCount")->text(), QString("1 FILE"));
    }

    void startAndRunRules() {
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        AppMainView view(m_settings.get());
        view.show();
        view.queue()->setLogPath(m_dir->filePath("log.txt"));
        RecordingSoundPlayer sounds;
        view.queue()->setSoundPlayer(&sounds);
        auto *start = child<QPushButton>(&view, "start");
        QVERIFY(!start->isEnabled()); // empty list

        view.queue()->addFiles({QUrl::fromLocalFile(m_dir->filePath("A.R3D"))});
        QVERIFY(!start->isEnabled()); // REDline missing at the default path
        QVERIFY(child<QWidget>(&view, "redlineMissing")->isVisible());

        m_settings->setRedlinePath(TestTools::redlineSim());
        QVERIFY(start->isEnabled()); // refreshed at once
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
        for (const char *name : {"addFiles", "change", "useDefault", "clearList"})
            QVERIFY2(!child<QWidget>(&view, name)->isEnabled(), name);
        QVERIFY(!child<QComboBox>(&view, "quality")->isEnabled());
        QVERIFY(child<QWidget>(&view, "dropZone")->isEnabled());
        QCOMPARE(child<QLabel>(&view, "runStatus")->text(), QString("Converting 1 of 1…"));

        QTRY_VERIFY_WITH_TIMEOUT(!view.queue()->isConverting(), 60'000);
        QCOMPARE(start->text(), QString("Start"));
        QVERIFY(!start->isEnabled());
        QVERIFY(!child<QLabel>(&view, "runStatus")->isVisible());
        QCOMPARE(child<QLabel>(rows(&view).first(), "badge")->text(), QString("✓ done"));
        QCOMPARE(sounds.played, QStringList{"Glass"});
        for (const char *name : {"addFiles", "change", "useDefault", "clearList"})
            QVERIFY2(child<QWidget>(&view, name)->isEnabled(), name);
    }

    void homeFolderIsAbbreviated() {
        AppMainView view(m_settings.get());
        view.show();
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

    void optionsMenuTogglesTheSettings() {
        TarnelApp app;
        MainWindow *window = app.newWindow();
        auto *autoSend = window->findChild<QAction *>("autoSendAction");
        auto *sound = window->findChild<QAction *>("soundAction");
        QVERIFY(autoSend && sound);
        QVERIFY(!autoSend->isChecked()); // empty store: off
        QVERIFY(sound->isChecked());     // empty store: on
        autoSend->trigger();
        QVERIFY(app.settings()->autoSendToFCP());
        QVERIFY(autoSend->isChecked());
        sound->trigger();
        QVERIFY(!app.settings()->playCompletionSound());
        QVERIFY(!UserSettings().playCompletionSound()); // stored
        window->close();
    }

    void typedPathIsStoredKeystrokeByKeystroke() {
        PreferencesView prefs(m_settings.get());
        prefs.show();
        auto *field = child<QLineEdit>(&prefs, "redlinePath");
        QCOMPARE(field->text(), UserSettings::defaultRedlinePath());
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QCOMPARE(UserSettings().redlinePath(), QString()); // cleared: stored as empty
        QVERIFY(child<QLabel>(&prefs, "redlineStatus")->text().startsWith("✗ Not found"));
        const QString typed = TestTools::redlineSim();
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(field, typed.at(i).toLatin1());
            QCOMPARE(UserSettings().redlinePath(), typed.left(i + 1));
        }
        QCOMPARE(child<QLabel>(&prefs, "redlineStatus")->text(), QString("✓ REDline found"));
    }

    void secondWindowHasItsOwnList() {
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        TarnelApp app;
        MainWindow *first = app.newWindow();
        MainWindow *second = app.newWindow();
        QVERIFY(first->view()->queue() != second->view()->queue());
        first->view()->queue()->setLogPath(m_dir->filePath("log.txt"));
        dropUrls(child<DropZone>(first, "dropZone"),
                 {QUrl::fromLocalFile(m_dir->filePath("A.R3D"))});
        QTRY_COMPARE(rows(first).size(), 1);
        QCOMPARE(rows(second).size(), 0);
        // The shared settings reach both windows at once.
        app.settings()->setOutputDirectory(QUrl::fromLocalFile(m_dir->filePath("shared") + "/"));
        QCOMPARE(child<ElidedLabel>(second, "outputFolder")->toolTip(), m_dir->filePath("shared"));
        first->close();
        second->close();
    }

    void unsavedSettingsAreShown() {
        const QString folder = QFileInfo(TestEnvironment::instance().settingsFile()).path();
        TarnelApp app;
        MainWindow *window = app.newWindow();
        auto *line = child<QLabel>(app.showPreferences(), "settingsError");
        QVERIFY(!line->isVisible());
        QVERIFY(QDir(folder).removeRecursively());
        TestTools::touch(folder); // a file where the settings folder should be
        app.settings()->setSelectedPreset(ProResPreset::proRes422HQ);
        QVERIFY(QFile::remove(folder));
        QVERIFY(line->isVisible() && line->text() == app.settings()->saveError());
        QCOMPARE(window->statusBar()->currentMessage(), app.settings()->saveError());
        app.settings()->setAutoSendToFCP(false); // saved again
        QVERIFY(!line->isVisible() && window->statusBar()->currentMessage().isEmpty());
        window->close();
    }

    // SIGTERM ends Tarnel as closing its last window does, without asking:
    // REDline's group is stopped and the log says what was abandoned.
    void terminationSignalClosesWithoutAsking() {
        const QString record = m_dir->filePath("group"), log = m_dir->filePath("log.txt");
        TestTools::touch(m_dir->filePath("A.R3D"), 1000);
        TarnelApp app;
        app.settings()->setRedlinePath(
            TestTools::redlineWithHelper(m_dir->filePath("redline.sh"), record, false));
        app.settings()->setOutputDirectory(QUrl::fromLocalFile(m_dir->path() + "/"));
        QPointer<MainWindow> window = app.newWindow();
        window->view()->queue()->setLogPath(log);
        window->view()->queue()->addFiles({QUrl::fromLocalFile(m_dir->filePath("A.R3D"))});
        window->view()->queue()->start();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 30'000);
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 30'000);
        const qint64 group = TestTools::recordedGroup(record);
        QVERIFY(group > 0);
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
        QCOMPARE(TestTools::logLines(log).mid(TestTools::logLines(log).size() - 3),
                 QStringList({"abandon: Tarnel received SIGTERM",
                              "abandon: stopping REDline, A.R3D left unfinished",
                              "abandon: REDline stopped"}));
    }

    // Detect fills in a REDline found on PATH; a relative path shows as not
    // found in both windows, even with a REDline in the working folder.
    void detectAndRelativePath() {
        const QString folder = m_dir->filePath("bin"), previous = QDir::currentPath();
        QDir().mkpath(folder);
        const QString redline = TestTools::script(folder + "/REDline", "exit 0\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", ".:" + folder.toUtf8()); // "." would find the same REDline as ./REDline
        QDir::setCurrent(folder);
        TarnelApp app;
        MainWindow *window = app.newWindow();
        PreferencesView *prefs = app.showPreferences();
        app.settings()->setRedlinePath(QString());
        QTest::mouseClick(child<QPushButton>(prefs, "detect"), Qt::LeftButton);
        qputenv("PATH", path);
        QCOMPARE(app.settings()->redlinePath(), redline);
        app.settings()->setRedlinePath("REDline");
        QVERIFY(child<QLabel>(prefs, "redlineStatus")->text().startsWith("✗ Not found"));
        QVERIFY(child<QWidget>(window, "redlineMissing")->isVisibleTo(window));
        QDir::setCurrent(previous);
        window->close();
    }
};

TARNEL_TEST_MAIN_IMPL(UiTest, QApplication)
#include "tst_ui.moc"
