#include "settings/UserSettings.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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

    void firstStart() {
        UserSettings s;
        QCOMPARE(s.selectedPreset(), ProResPreset::proRes422LT);
        QCOMPARE(s.redlinePath(), UserSettings::defaultRedlinePath());
        QVERIFY(!s.autoSendToFCP());
        QVERIFY(s.playCompletionSound());
        QVERIFY(QFileInfo(defaultFolder()).isDir());
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), defaultFolder());
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), defaultFolder());
        QVERIFY(s.isUsingDefaultOutputDirectory());
    }

    void persistsAcrossObjects() {
        QTemporaryDir elsewhere;
        {
            UserSettings s;
            s.setSelectedPreset(ProResPreset::proRes4444XQ);
            s.setRedlinePath(QString::fromUtf8("/opt/red line/\"REDline\" Ü"));
            s.setAutoSendToFCP(true);
            s.setPlayCompletionSound(false);
            s.setOutputDirectory(QUrl::fromLocalFile(elsewhere.path() + u'/'));
        }
        UserSettings again;
        QCOMPARE(again.selectedPreset(), ProResPreset::proRes4444XQ);
        QCOMPARE(again.redlinePath(), QString::fromUtf8("/opt/red line/\"REDline\" Ü"));
        QVERIFY(again.autoSendToFCP());
        QVERIFY(!again.playCompletionSound());
        QCOMPARE(QDir::cleanPath(again.outputDirectoryPath()), elsewhere.path());
        QVERIFY(!again.isUsingDefaultOutputDirectory());
        // Two live objects see each other's writes at once.
        again.setPlayCompletionSound(true);
        UserSettings third;
        QVERIFY(third.playCompletionSound());
    }

    void sessionValuesAreNeverStored() {
        QTemporaryDir out;
        UserSettings stored;
        stored.setRedlinePath("/opt/stored/REDline");
        UserSettings s({{UserSettings::kSelectedPresetKey, "ProRes 422 HQ"},
                        {UserSettings::kOutputDirectoryPathKey, out.path()},
                        {UserSettings::kAutoSendToFCPKey, true}});
        QCOMPARE(s.selectedPreset(), ProResPreset::proRes422HQ);
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), out.path());
        QVERIFY(s.autoSendToFCP());
        QCOMPARE(s.redlinePath(), QString("/opt/stored/REDline")); // not overridden: the store's
        s.setSelectedPreset(ProResPreset::proRes422Proxy);
        s.setAutoSendToFCP(false);
        QCOMPARE(s.selectedPreset(), ProResPreset::proRes422Proxy);
        QVERIFY(!s.autoSendToFCP());
        for (const char *key : {UserSettings::kSelectedPresetKey, UserSettings::kAutoSendToFCPKey})
            QVERIFY2(!storedValue(key).isValid(), key);
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), defaultFolder());
        s.setRedlinePath("/opt/new/REDline"); // not overridden: written through
        QCOMPARE(storedValue(UserSettings::kRedlinePathKey).toString(),
                 QString("/opt/new/REDline"));
    }

    void storedFolderFallsBack_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("deleted folder") << "deleted";
        QTest::newRow("ordinary file") << "file";
        QTest::newRow("empty string") << "empty";
    }
    void storedFolderFallsBack() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString stored;
        if (kind == "deleted") {
            stored = dir.filePath("gone");
        } else if (kind == "file") {
            stored = dir.filePath("plain.txt");
            QFile f(stored);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        {
            QSettings store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
            store.setValue(UserSettings::kOutputDirectoryPathKey, stored);
        }
        UserSettings s;
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), defaultFolder());
        QVERIFY(QFileInfo(defaultFolder()).isDir());
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), defaultFolder());
    }

    void restoreKeepsAnExistingFolder() {
        QTemporaryDir dir;
        {
            QSettings store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
            store.setValue(UserSettings::kOutputDirectoryPathKey, dir.path());
        }
        UserSettings s;
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), dir.path());
        QVERIFY(!QFileInfo::exists(defaultFolder())); // default not created
        QSignalSpy changed(&s, &UserSettings::outputDirectoryURLChanged);
        dir.remove();
        s.restoreOutputDirectory(); // as the window does each time it is shown
        QCOMPARE(changed.count(), 1);
        QVERIFY(s.isUsingDefaultOutputDirectory());
    }

    void setOutputDirectoryCreatesFirst() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QString::fromUtf8("new/deep/Ausgabe Ü"));
        UserSettings s;
        QSignalSpy will(&s, &UserSettings::willChange);
        QSignalSpy changed(&s, &UserSettings::outputDirectoryURLChanged);
        s.setOutputDirectory(QUrl::fromLocalFile(target + u'/'));
        QVERIFY(QFileInfo(target).isDir());
        QCOMPARE(storedValue(UserSettings::kOutputDirectoryPathKey).toString(), target);
        QCOMPARE(will.count(), 1);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), target);

        // A folder that cannot be created is still stored and published.
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        s.setOutputDirectory(QUrl::fromLocalFile(dir.filePath("blocker/sub/")));
        QCOMPARE(QDir::cleanPath(s.outputDirectoryPath()), dir.filePath("blocker/sub"));
        QCOMPARE(changed.count(), 2);
    }

    void defaultFolderWithDotComponents() {
        UserSettings s;
        const QString videos = TestEnvironment::instance().videos();
        s.setOutputDirectory(QUrl::fromLocalFile(videos + QStringLiteral("/./x/../Tarnel/")));
        QVERIFY(s.isUsingDefaultOutputDirectory());
        s.setOutputDirectory(QUrl::fromLocalFile(videos + QStringLiteral("/Tarnel2/")));
        QVERIFY(!s.isUsingDefaultOutputDirectory());
    }

    void defaultFolderFollowsXdgVideos() {
        const QString home = TestEnvironment::instance().home();
        QFile dirs(home + QStringLiteral("/.config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_VIDEOS_DIR=\"$HOME/Filme\"\n");
        dirs.close();
        QDir(home).mkpath(QStringLiteral("Filme"));
        const QString path = UserSettings::defaultOutputDirectory().toLocalFile();
        dirs.remove();
        QCOMPARE(QDir::cleanPath(path), home + QStringLiteral("/Filme/Tarnel"));
    }

    // Damaged or hand-edited files read as the defaults, never crash, and
    // keep the values that are still good.
    void wrongTypesAndDamage_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("redline");
        QTest::addColumn<bool>("autoSend");
        QTest::addColumn<bool>("sound");
        const QString def = UserSettings::defaultRedlinePath();
        const int lt = int(ProResPreset::proRes422LT);
        QTest::newRow("unknown preset, word for sound")
            << QByteArray("[General]\nselectedPreset=prores 422 lt\nplayCompletionSound=maybe\n")
            << lt << def << false << true;
        QTest::newRow("numbers instead of booleans")
            << QByteArray("[General]\nautoSendToFCP=1\nplayCompletionSound=0\n") << lt << def
            << false << true;
        QTest::newRow("good values survive")
            << QByteArray("[General]\nselectedPreset=ProRes 422 HQ\nautoSendToFCP=true\n"
                          "playCompletionSound=false\nredlinePath=/usr/bin/REDline\n")
            << int(ProResPreset::proRes422HQ) << "/usr/bin/REDline" << true << false;
        QTest::newRow("list instead of text")
            << QByteArray("[General]\nredlinePath=a, b\nselectedPreset=ProRes 422, HQ\n") << lt
            << def << false << true;
        QTest::newRow("binary junk")
            << QByteArray("\x00\xff\xfe[[[=\n\x01=\x02", 12) << lt << def << false << true;
    }
    void wrongTypesAndDamage() {
        QFETCH(QByteArray, content);
        QFETCH(int, preset);
        QFETCH(QString, redline);
        QFETCH(bool, autoSend);
        QFETCH(bool, sound);
        TestEnvironment::instance().writeSettingsFile(content);
        UserSettings s;
        QCOMPARE(int(s.selectedPreset()), preset);
        QCOMPARE(s.redlinePath(), redline);
        QCOMPARE(s.autoSendToFCP(), autoSend);
        QCOMPARE(s.playCompletionSound(), sound);
        QVERIFY(!s.outputDirectoryPath().isEmpty());
    }

    void unknownPresetStaysStoredUntilAssigned() {
        TestEnvironment::instance().writeSettingsFile("[General]\nselectedPreset=Future Codec\n");
        UserSettings s;
        QCOMPARE(s.selectedPreset(), ProResPreset::proRes422LT);
        QCOMPARE(storedValue(UserSettings::kSelectedPresetKey).toString(), QString("Future Codec"));
        s.setSelectedPreset(ProResPreset::proRes422);
        QCOMPARE(storedValue(UserSettings::kSelectedPresetKey).toString(), QString("ProRes 422"));
    }
};

TARNEL_TEST_MAIN(SettingsTest)
#include "tst_settings.moc"
