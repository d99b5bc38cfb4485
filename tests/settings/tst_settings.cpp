#include "settings/UserSettings.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>

#include <sys/mount.h>

namespace {

QVariant storedValue(const char *key) {
    QSettings store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
    return store.value(QLatin1String(key));
}

QString defaultFolder() {
    return TestEnvironment::instance().videos() + QStringLiteral("/Tarnel");
}

} // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        TestEnvironment::instance().clearSettings();
        QDir(defaultFolder()).removeRecursively();
    }

    // Every setting as one line, so that defaults and saved values compare at once.
    static QString describe(const UserSettings &s) {
        return QStringList{ProResPresets::rawValue(s.selectedPreset()),
                           s.redlinePath(),
                           QString::number(s.autoSendToFCP()),
                           QString::number(s.playCompletionSound()),
                           QString::number(s.nameMoviesLikeClips()),
                           QDir::cleanPath(s.outputDirectoryPath()),
                           QString::number(s.isUsingDefaultOutputDirectory())}
            .join(u'|');
    }

    void persistsAcrossObjects() {
        QTemporaryDir elsewhere;
        const QString redline = QString::fromUtf8("/opt/red line/\"REDline\" Ü");
        {
            UserSettings s;
            s.setSelectedPreset(ProResPreset::proRes4444XQ);
            s.setRedlinePath(redline);
            s.setAutoSendToFCP(true);
            s.setPlayCompletionSound(false);
            s.setNameMoviesLikeClips(true);
            s.setOutputDirectory(QUrl::fromLocalFile(elsewhere.path() + u'/'));
        }
        QCOMPARE(describe(UserSettings()),
                 "ProRes 4444 XQ|" + redline + "|1|0|1|" + elsewhere.path() + "|0");
    }

    void sessionValuesAreNeverStored() {
        QTemporaryDir out;
        UserSettings stored;
        stored.setRedlinePath("/opt/stored/REDline");
        UserSettings s({{UserSettings::kSelectedPresetKey, "ProRes 422 HQ"},
                        {UserSettings::kOutputDirectoryPathKey, out.path()},
                        {UserSettings::kAutoSendToFCPKey, true}});
        // REDline is not overridden: the store's.
        QCOMPARE(describe(s), "ProRes 422 HQ|/opt/stored/REDline|1|1|0|" + out.path() + "|0");
        s.setSelectedPreset(ProResPreset::proRes422Proxy);
        s.setAutoSendToFCP(false);
        QCOMPARE(describe(s).section(u'|', 0, 2), "ProRes 422 Proxy|/opt/stored/REDline|0");
        for (const char *key : {UserSettings::kSelectedPresetKey, UserSettings::kAutoSendToFCPKey})
            QVERIFY2(!storedValue(key).isValid(), key);
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), defaultFolder());
        s.setRedlinePath("/opt/new/REDline"); // not overridden: written through
        QCOMPARE(storedValue(UserSettings::kRedlinePathKey).toString(),
                 QString("/opt/new/REDline"));
    }

    // With nothing stored every setting reads its default, and the default folder is
    // made and stored; so is it for a stored folder that is gone or no folder. One that
    // exists is kept (the default not made) until it goes, when the window's check on
    // showing restores the default.
    void storedFolder_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("nothing stored") << "nothing";
        QTest::newRow("deleted folder") << "deleted";
        QTest::newRow("ordinary file") << "file";
        QTest::newRow("existing folder, removed later") << "existing";
    }
    void storedFolder() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString stored = kind == "existing" ? dir.path() : dir.filePath(kind);
        if (kind == "file")
            TestTools::touch(stored);
        if (kind != "nothing")
            QSettings(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"))
                .setValue(UserSettings::kOutputDirectoryPathKey, stored);
        UserSettings s;
        if (kind == "existing") {
            QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), dir.path());
            QVERIFY(!QFileInfo::exists(defaultFolder()));
            dir.remove();
            s.restoreOutputDirectory();
            QVERIFY(s.isUsingDefaultOutputDirectory());
            return;
        }
        QCOMPARE(describe(s), "ProRes 422 LT|" + UserSettings::defaultRedlinePath() + "|0|1|0|" +
                                  defaultFolder() + "|1");
        QVERIFY(QFileInfo(defaultFolder()).isDir());
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), defaultFolder());
    }

    // A folder chosen is made first; one that cannot be made is still stored and
    // published. The default is known by its path, whatever its spelling.
    void setOutputDirectory() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QString::fromUtf8("new/deep/Ausgabe Ü"));
        UserSettings s;
        s.setOutputDirectory(QUrl::fromLocalFile(target + u'/'));
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), target);
        TestTools::touch(dir.filePath("blocker"));
        s.setOutputDirectory(QUrl::fromLocalFile(dir.filePath("blocker/sub/")));
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), dir.filePath("blocker/sub"));

        s.setOutputDirectory(QUrl::fromLocalFile(defaultFolder() + "/../x/../Tarnel/./"));
        QVERIFY(s.isUsingDefaultOutputDirectory());
        s.setOutputDirectory(QUrl::fromLocalFile(defaultFolder() + "2/"));
        QVERIFY(!s.isUsingDefaultOutputDirectory());
    }

    // Damaged or hand-edited files read as the defaults but keep good values.
    void wrongTypesAndDamage_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // preset, REDline, auto-send, sound
        const QString defaults = "ProRes 422 LT|" + UserSettings::defaultRedlinePath() + "|0|1";
        QTest::newRow("unknown preset, numbers and words for booleans, a list for a text")
            << QByteArray("[General]\nselectedPreset=prores 422 lt\nplayCompletionSound=maybe\n"
                          "autoSendToFCP=1\nredlinePath=a, b\n")
            << defaults;
        QTest::newRow("good values survive")
            << QByteArray("[General]\nselectedPreset=ProRes 422 HQ\nautoSendToFCP=true\n"
                          "playCompletionSound=false\nredlinePath=/usr/bin/REDline\n")
            << "ProRes 422 HQ|/usr/bin/REDline|1|0";
        QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe[[[=\n\x01=\x02", 12) << defaults;
    }
    void wrongTypesAndDamage() {
        QFETCH(QByteArray, content);
        TestEnvironment::instance().writeSettingsFile(content);
        UserSettings s;
        QTEST(describe(s).section(u'|', 0, 3), "expected");
        QVERIFY(!s.outputDirectoryPath().isEmpty());
    }

    // An unwritable store: the change holds, the user is told once, and it is
    // saved with the first write that works again.
    void unsavedChangesHoldAndAreReported_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("a file where the folder should be") << "file";
        QTest::newRow("read-only file system") << "read-only";
        QTest::newRow("full disk") << "full";
    }
    void unsavedChangesHoldAndAreReported() {
        QFETCH(QString, how);
        const TestEnvironment &env = TestEnvironment::instance();
        const QString folder = QFileInfo(env.settingsFile()).path();
        const QByteArray mountPoint = QFile::encodeName(folder);
        UserSettings s;
        QFile::remove(env.logFile());
        const auto repair = [&] {
            ::umount2(mountPoint.constData(), MNT_DETACH);
            QFile::remove(folder);
            QDir().mkpath(folder);
        };
        auto repairOnFailure = qScopeGuard(repair);
        if (how == "file") {
            QVERIFY(QDir(folder).removeRecursively());
            TestTools::touch(folder);
        } else if (::mount("tmpfs", mountPoint.constData(), "tmpfs",
                           how == "read-only" ? MS_RDONLY : 0, "size=4k") != 0) {
            QSKIP("mounting a tmpfs needs root");
        } else if (how == "full") {
            QFile filler(folder + "/filler");
            QVERIFY(filler.open(QIODevice::WriteOnly) &&
                    filler.write(QByteArray(4096, 'f')) == 4096);
        }
        QSignalSpy told(&s, &UserSettings::saveErrorChanged);
        s.setSelectedPreset(ProResPreset::proRes422HQ);
        s.setAutoSendToFCP(true);
        QCOMPARE(told.count(), 1);
        QVERIFY(s.saveError().contains(env.settingsFile()) && s.autoSendToFCP());
        QCOMPARE(TestTools::logLines(env.logFile()), QStringList{"settings: " + s.saveError()});

        repairOnFailure.dismiss();
        repair();
        s.setPlayCompletionSound(false);
        QVERIFY(s.saveError().isEmpty());
        QFile file(env.settingsFile()); // the earlier changes are saved with it
        QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll().contains("autoSendToFCP=true"));
    }

    // An empty lock left by a crash, kept fresh here (QSettings alone waits
    // until a lock is 30 s old): only removing it lets the change through.
    void staleLockDoesNotHoldUpAChange() {
        UserSettings s;
        const QByteArray lock =
            QFile::encodeName(TestEnvironment::instance().settingsFile()) + ".lock";
        TestTools::touch(QFile::decodeName(lock), 0);
        // Kept fresh for a minute at most: a change that waits for the lock ends then,
        // and fails here, instead of at the suite's time limit.
        std::atomic<bool> stop{false}, gaveUp{false};
        std::thread keepFresh([&] {
            int round = 0;
            while (!stop && round++ < 300 &&
                   ::utimensat(AT_FDCWD, lock.constData(), nullptr, 0) == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            gaveUp = round > 300;
        });
        s.setSelectedPreset(ProResPreset::proRes4444);
        stop = true;
        keepFresh.join();
        QVERIFY2(!gaveUp, "the change waited for the lock");
        QVERIFY(s.saveError().isEmpty());
        QCOMPARE(UserSettings().selectedPreset(), ProResPreset::proRes4444);
    }

    // Something at the lock's name that is no regular file is no lock anyone
    // holds: it does not block the change.
    void oddLockDoesNotBlock_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << "folder";
        QTest::newRow("folder with a file") << "full folder";
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("dangling link") << "link";
    }
    void oddLockDoesNotBlock() {
        QFETCH(QString, kind);
        UserSettings s;
        const QString lock = TestEnvironment::instance().settingsFile() + ".lock";
        const QByteArray path = QFile::encodeName(lock);
        if (kind.endsWith("folder"))
            QVERIFY(QDir().mkpath(lock));
        if (kind == "full folder")
            TestTools::touch(lock + "/inside");
        if (kind == "pipe")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        if (kind == "link")
            QVERIFY(QFile::link(lock + ".nowhere", lock));
        s.setSelectedPreset(ProResPreset::proRes422Proxy);
        QVERIFY2(s.saveError().isEmpty(), qPrintable(s.saveError()));
        QCOMPARE(UserSettings().selectedPreset(), ProResPreset::proRes422Proxy);
        for (const QString &left : QDir(QFileInfo(lock).path()).entryList({"*.lock.*"}, QDir::Dirs))
            QDir(QFileInfo(lock).path() + '/' + left).removeRecursively();
    }
};

TARNEL_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
