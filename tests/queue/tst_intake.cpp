#include "model/TranscodeJob.h"
#include "queue/DebugLog.h"
#include "queue/TranscodeQueue.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QUrl folderUrl(const QString &path) {
    return QUrl::fromLocalFile(path + u'/');
}

QStringList names(const TranscodeQueue &q) {
    QStringList out;
    for (const TranscodeJob *j : q.jobs())
        out << j->sourceURL().fileName();
    return out;
}

// The message part of each log line.
QStringList messages(const QString &path) {
    return TestTools::logLines(path);
}

} // namespace

class IntakeTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_log;

private Q_SLOTS:
    void init() {
        m_log = m_dir.filePath(QStringLiteral("log-%1.txt").arg(QTest::currentTestFunction()));
        QFile::remove(m_log);
    }

    void defaultLogIsOnTheDesktop() {
        QCOMPARE(DebugLog::defaultLocation(), TestEnvironment::instance().logFile());
        TranscodeQueue q;
        QCOMPARE(q.logPath(), TestEnvironment::instance().logFile());
    }

    void folderIsListedOneLevelDeep() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("A.R3D"));
        TestTools::touch(dir.filePath("b.r3d"));
        TestTools::touch(dir.filePath(".hidden.R3d"));
        TestTools::touch(dir.filePath("notes.txt"));
        TestTools::touch(dir.filePath("clip.R3D.mov"));
        QDir(dir.path()).mkpath("C.RDC");
        TestTools::touch(dir.filePath("C.RDC/C_001.R3D"));
        QDir(dir.path()).mkpath("Odd.R3D"); // a folder named like a clip counts by name

        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({folderUrl(dir.path())});
        QStringList found = names(q);
        found.sort();
        QCOMPARE(found, (QStringList{".hidden.R3d", "A.R3D", "Odd.R3D", "b.r3d"}));
        QCOMPARE(messages(m_log), QStringList{"addFiles: found 4 R3D file(s), 4 new"});

        q.addFiles({folderUrl(dir.filePath("C.RDC"))});
        QCOMPARE(names(q).last(), QString("C_001.R3D"));

        // Without the trailing slash a folder is judged by its name alone.
        TranscodeQueue q2;
        q2.setLogPath(m_log);
        q2.addFiles({QUrl::fromLocalFile(dir.filePath("C.RDC"))});
        QVERIFY(q2.jobs().isEmpty());
    }

    void duplicatesAcrossStates() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("A.R3D"));
        TestTools::touch(dir.filePath("B.R3D"));
        const QUrl a = QUrl::fromLocalFile(dir.filePath("A.R3D"));
        const QUrl b = QUrl::fromLocalFile(dir.filePath("B.R3D"));

        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({a, b});
        q.jobs().at(0)->setStatus(JobStatus::failed);
        q.jobs().at(1)->setStatus(JobStatus::done);
        q.addFiles({a, b});
        QCOMPARE(q.jobs().size(), 2);

        // Removed, then added again.
        q.remove(q.jobs().at(0));
        q.addFiles({a});
        QCOMPARE(names(q), (QStringList{"B.R3D", "A.R3D"}));

        // A file and its folder in one drop give two jobs for that file.
        TranscodeQueue q2;
        q2.setLogPath(m_log);
        q2.addFiles({a, folderUrl(dir.path())});
        QCOMPARE(q2.jobs().size(), 3);

        QCOMPARE(messages(m_log), (QStringList{
                                      "addFiles: found 2 R3D file(s), 2 new",
                                      "addFiles: found 2 R3D file(s), 0 new",
                                      "addFiles: found 1 R3D file(s), 1 new",
                                      "addFiles: found 3 R3D file(s), 3 new",
                                  }));
    }

    void nothingFoundLogsEscapedPaths() {
        QTemporaryDir dir;
        const QString odd = dir.path() + QString::fromUtf8("/it's a \"take\"\\\n\tÜ.mov");
        TestTools::touch(odd);
        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({QUrl::fromLocalFile(odd), folderUrl(dir.filePath("missing"))});
        QVERIFY(q.jobs().isEmpty());
        const QString expected = u"addFiles: no R3D files found in dropped URLs: [\"" + dir.path() +
                                 QString::fromUtf8("/it\\'s a \\\"take\\\"\\\\\\n\\tÜ.mov\", \"") +
                                 dir.path() + u"/missing/\"]";
        QFile f(m_log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString all = QString::fromUtf8(f.readAll());
        QCOMPARE(all.count(u'\n'), 1); // one entry on one line
        QVERIFY2(all.endsWith(expected + u'\n'), qPrintable(all));
    }

    void oddNamesBecomeJobs() {
        QTemporaryDir dir;
        const QStringList odd{"quote\".R3D", "new\nline.R3D", QString::fromUtf8("Über 日本.R3D"),
                              QString(200, u'x') + ".R3D"};
        for (const QString &n : odd)
            TestTools::touch(dir.filePath(n), 7);
        // A name whose bytes are not UTF-8: Qt cannot name such a file, so the
        // listing skips it; the other entries are still added.
        const QByteArray raw = QFile::encodeName(dir.path()) + "/bad\xff\xfe.R3D";
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);

        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({folderUrl(dir.path())});
        ::unlink(raw.constData());
        QStringList added = names(q);
        added.sort();
        QStringList expected = odd;
        expected.sort();
        QCOMPARE(added, expected);
        QCOMPARE(q.jobs().first()->sourceSizeBytes(), 7);
    }

    void removeAndClearSpareTheConvertingJob() {
        QTemporaryDir dir;
        for (const char *n : {"A.R3D", "B.R3D", "C.R3D"})
            TestTools::touch(dir.filePath(n));
        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({folderUrl(dir.path())});
        TranscodeJob *converting = q.jobs().at(1);
        converting->setStatus(JobStatus::converting);
        q.remove(converting);
        QCOMPARE(q.jobs().size(), 3);
        q.clearList();
        QCOMPARE(q.jobs(), QList<TranscodeJob *>{converting});
        QCOMPARE(messages(m_log).size(), 1); // removing logs nothing
    }

    void countsAndSizes() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("big.R3D"), 10'000'000'000);
        TestTools::touch(dir.filePath("mid.R3D"), 5'000'000'000);
        TranscodeQueue q;
        q.setLogPath(m_log);
        q.addFiles({folderUrl(dir.path())});
        QCOMPARE(q.totalSourceBytes(), qint64(15'000'000'000));
        QVERIFY(q.canStart());
        q.jobs().at(0)->setStatus(JobStatus::failed);
        q.jobs().at(1)->setStatus(JobStatus::sentToFCP);
        QCOMPARE(q.finishedCount(), 2);
        QVERIFY(!q.canStart()); // only finished jobs
        QCOMPARE(q.totalSourceBytes(), qint64(15'000'000'000));
    }

    void logEntriesAcrossTwoQueues() {
        {
            TranscodeQueue first;
            first.setLogPath(m_log);
            first.log("one");
        }
        TranscodeQueue second;
        second.setLogPath(m_log);
        second.log("two\nlines");
        QFile f(m_log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        QCOMPARE(lines.size(), 4);            // three lines and the final line feed
        QCOMPARE(lines[2], QString("lines")); // continuation line carries no stamp
        QCOMPARE(messages(m_log), (QStringList{"one", "two", "lines"}));

        // A log deleted while running is recreated by the next entry.
        QVERIFY(QFile::remove(m_log));
        second.log("three");
        QCOMPARE(messages(m_log), QStringList{"three"});
    }

    void entryFormat() {
        const QDateTime local =
            QDateTime(QDate(2026, 12, 5), QTime(8, 17, 17, 450), Qt::UTC).toOffsetFromUtc(5 * 3600);
        QCOMPARE(DebugLog::entry(local, "x"), QString("[2026-12-05 08:17:17 +0000] x\n"));
    }

    void unwritableLogIsIgnored_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("path is a folder") << "folder";
        QTest::newRow("desktop is a file") << "file";
    }
    void unwritableLogIsIgnored() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString logPath;
        if (kind == "folder") {
            logPath = dir.filePath("Tarnel_debug.txt");
            QDir().mkpath(logPath);
        } else {
            TestTools::touch(dir.filePath("Desktop"));
            logPath = dir.filePath("Desktop/Tarnel_debug.txt");
        }
        TestTools::touch(dir.filePath("A.R3D"));
        TranscodeQueue q;
        q.setLogPath(logPath);
        q.addFiles({QUrl::fromLocalFile(dir.filePath("A.R3D"))});
        QCOMPARE(q.jobs().size(), 1);
        QVERIFY(!QFileInfo(logPath).isFile());
    }

    // Drops are lists of names in the card folder; "" is the folder itself.
    void spannedClipsAreOneJob_data() {
        QTest::addColumn<QList<QStringList>>("drops");
        QTest::addColumn<QStringList>("jobs"); // "path size", path relative to the card
        QTest::addColumn<QStringList>("log");
        const QString folded =
            "addFiles: folded 2 later piece(s) into 1 spanned clip(s): C_001.R3D (3 pieces)";
        const QStringList all{"C_001.R3D 9500000000", "S_001.R3D 5",  "X_7.R3D 7", "X_8.R3D 8",
                              "Y_0001.R3D 9",         "Y_0002.R3D 10"};
        QTest::newRow("folder") << QList<QStringList>{{""}} << all
                                << QStringList{"addFiles: found 6 R3D file(s), 6 new", folded};
        QTest::newRow("folder twice")
            << QList<QStringList>{{""}, {""}} << all
            << QStringList{"addFiles: found 6 R3D file(s), 6 new", folded,
                           "addFiles: found 6 R3D file(s), 0 new", folded};
        QTest::newRow("later piece alone")
            << QList<QStringList>{{"C_002.R3D"}} << QStringList{"C_001.R3D 9500000000"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new", folded};
        QTest::newRow("later piece after the folder")
            << QList<QStringList>{{""}, {"C_003.r3d"}} << all
            << QStringList{"addFiles: found 6 R3D file(s), 6 new", folded,
                           "addFiles: found 1 R3D file(s), 0 new", folded};
        QTest::newRow("all pieces as files")
            << QList<QStringList>{{"C_003.r3d", "C_001.R3D", "C_002.R3D"}}
            << QStringList{"C_001.R3D 9500000000"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new", folded};
        QTest::newRow("lone first piece")
            << QList<QStringList>{{"S_001.R3D"}} << QStringList{"S_001.R3D 5"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new"};
        QTest::newRow("first piece missing")
            << QList<QStringList>{{"G.RDC/G_003.R3D"}} << QStringList{"G.RDC/G_002.R3D 30"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new",
                           "addFiles: folded 1 later piece(s) into 1 spanned clip(s): "
                           "G_002.R3D (2 pieces)"};
    }
    void spannedClipsAreOneJob() {
        QFETCH(QList<QStringList>, drops);
        QFETCH(QStringList, jobs);
        QFETCH(QStringList, log);
        QTemporaryDir card;
        QDir(card.path()).mkpath("G.RDC");
        const std::pair<const char *, qint64> files[]{{"C_001.R3D", 4'000'000'000},
                                                      {"C_002.R3D", 4'000'000'000},
                                                      {"C_003.r3d", 1'500'000'000},
                                                      {"S_001.R3D", 5},
                                                      {"X_7.R3D", 7},
                                                      {"X_8.R3D", 8},
                                                      {"Y_0001.R3D", 9},
                                                      {"Y_0002.R3D", 10},
                                                      {"G.RDC/G_002.R3D", 20},
                                                      {"G.RDC/G_003.R3D", 10}};
        for (const auto &[name, size] : files)
            TestTools::touch(card.filePath(name), size);

        TranscodeQueue q;
        q.setLogPath(m_log);
        for (const QStringList &drop : drops) {
            QList<QUrl> urls;
            for (const QString &name : drop)
                urls << (name.isEmpty() ? folderUrl(card.path())
                                        : QUrl::fromLocalFile(card.filePath(name)));
            q.addFiles(urls);
        }
        QStringList added;
        for (const TranscodeJob *j : q.jobs())
            added << QDir(card.path()).relativeFilePath(j->sourcePath()) + ' ' +
                         QString::number(j->sourceSizeBytes());
        added.sort(); // a folder lists in the file system's order
        QCOMPARE(added, jobs);
        QCOMPARE(messages(m_log), log);
    }

    // Qt names $HOME/Desktop whether or not it exists; without a desktop
    // folder the log goes to the home folder.
    void logFallsBackToTheHomeFolder_data() {
        QTest::addColumn<QByteArray>("userDirs"); // the content of user-dirs.dirs
        QTest::addColumn<QString>("expected");    // the log's folder, below the home folder
        QTest::newRow("no Desktop folder") << QByteArray() << "";
        QTest::newRow("user-dirs names a missing folder")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n") << "";
        QTest::newRow("user-dirs names a folder")
            << QByteArray("XDG_DESKTOP_DIR=\"$HOME/.config\"\n") << "/.config";
    }
    void logFallsBackToTheHomeFolder() {
        QFETCH(QByteArray, userDirs);
        QFETCH(QString, expected);
        QTemporaryDir home;
        const QByteArray savedHome = qgetenv("HOME"), savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
        QDir().mkpath(home.filePath(".config"));
        QFile dirs(home.filePath(".config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly) && dirs.write(userDirs) == userDirs.size());
        dirs.close();
        const QString location = DebugLog::defaultLocation();
        qputenv("HOME", savedHome);
        qputenv("XDG_CONFIG_HOME", savedConfig);
        QCOMPARE(location, home.path() + expected + "/Tarnel_debug.txt");
    }

    // Only a regular file is written, and opening never waits: a pipe at
    // the log's name gets nothing, a link is not followed.
    void logWritesOnlyARegularFile_data() {
        QTest::addColumn<bool>("pipe");
        QTest::newRow("pipe with a reader") << true;
        QTest::newRow("link to another file") << false;
    }
    void logWritesOnlyARegularFile() {
        QFETCH(bool, pipe);
        QTemporaryDir dir;
        const QString path = dir.filePath("Tarnel_debug.txt"), other = dir.filePath("other");
        TestTools::touch(other, 0);
        QVERIFY(pipe ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                     : QFile::link(other, path));
        const int reader =
            pipe ? ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK) : -1;
        DebugLog(path).append("entry");
        char byte;
        QVERIFY(!pipe || ::read(reader, &byte, 1) <= 0);
        QCOMPARE(QFileInfo(other).size(), 0);
    }

    // On a full disk an entry is cut; the next one still starts a line.
    void cutEntryIsEndedBeforeTheNext() {
        QTemporaryDir dir;
        const QByteArray mountPoint = QFile::encodeName(dir.path());
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=8k") != 0)
            QSKIP("mounting a small tmpfs needs root");
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });
        QFile filler(dir.filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly) && filler.write(QByteArray(4096, 'f')) == 4096);
        filler.close();
        DebugLog log(dir.filePath("log"));
        log.append(QString(6000, u'x')); // one page left: the entry is cut
        QVERIFY(filler.remove());
        log.append("next");
        const QStringList lines = messages(dir.filePath("log"));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("xxx") && lines[0].size() < 6000);
        QCOMPARE(lines[1], QString("next"));
    }
};

TARNEL_TEST_MAIN(IntakeTest)
#include "tst_intake.moc"
