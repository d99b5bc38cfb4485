// The settings as the windows show them: the Preferences window, the Options
// menu shared by every window, and settings that cannot be saved.
#include "MainWindow.h"
#include "PreferencesView.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "UiFixture.h"

class PreferencesTest : public UiFixture {
    Q_OBJECT

private Q_SLOTS:
    // The Options switches start from their defaults, are stored at once and
    // show in every window.
    void optionsAreSharedAndStored() {
        TarnelApp app(workspace());
        MainWindow *first = app.newWindow();
        MainWindow *second = app.newWindow();
        // An empty store: off, on, off.
        for (const auto &[name, initially] : {std::pair{"autoSendAction", false},
                                              {"soundAction", true},
                                              {"nameLikeClipsAction", false}}) {
            QCOMPARE(child<QAction>(first, name)->isChecked(), initially);
            child<QAction>(first, name)->trigger();
            QCOMPARE(child<QAction>(second, name)->isChecked(), !initially);
        }
        const UserSettings stored;
        QVERIFY(stored.autoSendToFCP() && !stored.playCompletionSound() &&
                stored.nameMoviesLikeClips());
    }

    // Settings that cannot be saved show in Preferences and in every window's status
    // line, ahead of what a drop skipped, until a change is saved again.
    void saveFailureShows() {
        TarnelApp app(workspace());
        MainWindow *first = app.newWindow();
        MainWindow *second = app.newWindow();
        auto *firstStatus = child<StatusLine>(first, "statusLine");
        auto *status = child<StatusLine>(second, "statusLine");
        // A name that is not UTF-8 leaves a warning in the second window.
        TranscodeQueue *queue = second->view()->queue();
        queue->setLogPath(path("log.txt"));
        TestTools::touchRaw(path("card"));
        queue->addFiles({QUrl::fromLocalFile(path("card/"))});
        QTRY_COMPARE(status->look(), StatusLine::Look::warning);
        const QString warning = status->text();

        const QString folder = QFileInfo(TestEnvironment::instance().settingsFile()).path();
        auto *line = child<QLabel>(app.showPreferences(), "settingsError");
        QVERIFY(QDir(folder).removeRecursively());
        TestTools::touch(folder); // a file where the settings folder should be
        app.settings()->setSelectedPreset(ProResPreset::proRes422HQ);
        QVERIFY(QFile::remove(folder));
        QVERIFY(!app.settings()->saveError().isEmpty());
        QVERIFY(line->isVisible() && line->text() == app.settings()->saveError());
        QCOMPARE(status->text(), app.settings()->saveError());
        QCOMPARE(firstStatus->text(), app.settings()->saveError());
        QVERIFY(firstStatus->isVisible());
        app.settings()->setAutoSendToFCP(false); // saved again
        QVERIFY(!line->isVisible() && !firstStatus->isVisible());
        QCOMPARE(status->text(), warning);
    }

    // The REDline path is stored as typed; Detect finds it on PATH; a relative path is
    // not found, even with a REDline in the working folder.
    void redlinePath() {
        const QString folder = path("bin"), previous = QDir::currentPath();
        QDir().mkpath(folder);
        const QString redline = TestTools::script(folder + "/REDline", "exit 0\n");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", ".:" + folder.toUtf8()); // "." would find the same REDline as ./REDline
        QDir::setCurrent(folder);
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            QDir::setCurrent(previous);
        });
        TarnelApp app(workspace());
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
        QCOMPARE(app.settings()->redlinePath(), redline);
        QCOMPARE(status->text(), QString("✓ REDline found"));
        field->selectAll();
        QTest::keyClicks(field, "REDline");
        QCOMPARE(UserSettings().redlinePath(), QString("REDline"));
        QVERIFY(status->text().startsWith("✗ Not found"));
        QVERIFY(child<QWidget>(window, "redlineMissing")->isVisibleTo(window));
    }
};

TARNEL_TEST_MAIN_IMPL(PreferencesTest, QApplication)
#include "tst_preferences.moc"
