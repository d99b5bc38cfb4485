#include "model/TranscodeJob.h"
#include "queue/DebugLog.h"
#include "queue/TranscodeQueue.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QUrl folderUrl(const QString &path) {
    return QUrl::fromLocalFile(path + u'/');
}

// The jobs' file names, sorted: a folder lists in the file system's order.
QStringList names(const TranscodeQueue &q) {
    QStringList out;
    for (const TranscodeJob *j : q.jobs())
        out << j->sourceURL().fileName();
    out.sort();
    return out;
}

} // namespace

class IntakeTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_log;

    // A queue that writes to this test's log.
    std::unique_ptr<TranscodeQueue> queue() const {
        auto q = std::make_unique<TranscodeQueue>();
        q->setLogPath(m_log);
        return q;
    }
    QStringList logLines() const { return TestTools::logLines(m_log); }

private Q_SLOTS:
    void init() {
        m_log = m_dir.filePath(QStringLiteral("log-%1.txt").arg(QTest::currentTestFunction()));
        QFile::remove(m_log);
    }

    // A folder is listed one level deep, hidden entries and odd names
    // included; a folder named like a clip counts by its name. A name that
    // is not UTF-8 cannot be added, and the log says which.
    void folderIsListedOneLevelDeep() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("C.RDC");
        QDir(dir.path()).mkpath("Odd.R3D");
        QStringList clips{".hidden.R3d", "A.R3D", "b.r3d", "take #1 \"100%\".R3D", "new\nline.R3D"};
        clips << QString::fromUtf8("Über 日本.R3D") << QString(200, u'x') + ".R3D";
        for (const QString &name :
             clips + QStringList{"notes.txt", "clip.R3D.mov", "C.RDC/C_001.R3D"})
            TestTools::touch(dir.filePath(name));
        for (const char *latin1 : {"/caf\xe9.R3D", "/notes\xff.txt"})
            ::close(::open(QByteArray(QFile::encodeName(dir.path()) + latin1).constData(),
                           O_CREAT | O_WRONLY, 0644));
        clips << "Odd.R3D";
        clips.sort();

        auto q = queue();
        q->addFiles({folderUrl(dir.path())});
        QCOMPARE(names(*q), clips);
        QCOMPARE(logLines(),
                 QStringList({"addFiles: skipped 1 R3D file(s) whose names are not valid UTF-8 "
                              "(rename them to add them): [\"" +
                                  dir.filePath(QString::fromUtf8("caf\uFFFD.R3D")) + "\"]",
                              "addFiles: found 8 R3D file(s), 8 new"}));
        q->addFiles({folderUrl(dir.filePath("C.RDC"))});
        QCOMPARE(q->jobs().last()->sourceURL().fileName(), QString("C_001.R3D"));

        // Without the trailing slash a folder is judged by its name alone.
        auto q2 = queue();
        q2->addFiles({QUrl::fromLocalFile(dir.filePath("C.RDC"))});
        QVERIFY(q2->jobs().isEmpty());
    }

    // A file already listed, in whatever state, is not added again; one
    // removed is, at the end. Removing and clearing spare the converting job
    // and log nothing; the counts follow the states. A file and its folder in
    // one drop give two jobs for that file.
    void duplicatesRemovalAndCounts() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("A.R3D"), 10'000'000'000);
        TestTools::touch(dir.filePath("B.R3D"), 5'000'000'000);
        TestTools::touch(dir.filePath("C.R3D"), 10);
        const auto url = [&](const char *name) { return QUrl::fromLocalFile(dir.filePath(name)); };

        auto q = queue();
        q->addFiles({url("A.R3D"), url("B.R3D"), url("C.R3D")});
        QCOMPARE(q->totalSourceBytes(), qint64(15'000'000'010));
        QVERIFY(q->canStart());
        q->jobs().at(0)->setStatus(JobStatus::failed);
        q->jobs().at(1)->setStatus(JobStatus::sentToFCP);
        TranscodeJob *converting = q->jobs().at(2);
        converting->setStatus(JobStatus::converting);
        QCOMPARE(q->finishedCount(), 2);
        QVERIFY(!q->canStart()); // nothing queued
        q->addFiles({url("A.R3D"), url("B.R3D")});
        QCOMPARE(q->jobs().size(), 3);
        q->remove(converting);
        q->remove(q->jobs().at(0));
        q->addFiles({url("A.R3D")});
        QCOMPARE(names(*q), (QStringList{"A.R3D", "B.R3D", "C.R3D"}));
        QCOMPARE(q->jobs().last()->sourceURL(), url("A.R3D"));
        q->clearList();
        QCOMPARE(q->jobs(), QList<TranscodeJob *>{converting});

        auto q2 = queue();
        q2->addFiles({url("A.R3D"), folderUrl(dir.path())});
        QCOMPARE(q2->jobs().size(), 4);
        QCOMPARE(logLines(), (QStringList{
                                 "addFiles: found 3 R3D file(s), 3 new",
                                 "addFiles: found 2 R3D file(s), 0 new",
                                 "addFiles: found 1 R3D file(s), 1 new",
                                 "addFiles: found 4 R3D file(s), 4 new",
                             }));
    }

    // A drop without clips logs what was dropped, escaped, on one line.
    void nothingFoundLogsEscapedPaths() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("new\nline.mov"));
        auto q = queue();
        q->addFiles({QUrl::fromLocalFile(dir.filePath("new\nline.mov")),
                     folderUrl(dir.filePath("missing"))});
        QVERIFY(q->jobs().isEmpty());
        QCOMPARE(logLines(),
                 QStringList{"addFiles: no R3D files found in dropped URLs: [\"" + dir.path() +
                             "/new\\nline.mov\", \"" + dir.path() + "/missing/\"]"});
    }

    // Entries of several writers follow each other; continuation lines carry
    // no stamp, and a log deleted meanwhile is recreated.
    void logEntries() {
        DebugLog(m_log).append("one");
        const DebugLog log(m_log);
        log.append("two\nlines");
        QFile f(m_log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().split('\n').at(2), QByteArray("lines"));
        QCOMPARE(logLines(), (QStringList{"one", "two", "lines"}));
        QVERIFY(QFile::remove(m_log));
        log.append("three");
        QCOMPARE(logLines(), QStringList{"three"});

        const QDateTime local =
            QDateTime(QDate(2026, 12, 5), QTime(8, 17, 17, 450), Qt::UTC).toOffsetFromUtc(5 * 3600);
        QCOMPARE(DebugLog::entry(local, "x"), QString("[2026-12-05 08:17:17 +0000] x\n"));
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
        QTest::newRow("later piece after the folder")
            << QList<QStringList>{{""}, {"C_003.r3d"}} << all
            << QStringList{"addFiles: found 6 R3D file(s), 6 new", folded,
                           "addFiles: found 1 R3D file(s), 0 new", folded};
        QTest::newRow("all pieces as files, a later one first")
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
                           "G_002.R3D (2 pieces)",
                           "addFiles: spanned clip G_002.R3D lacks G_001.R3D; REDline cannot "
                           "read it whole without every piece"};
        QTest::newRow("middle pieces missing")
            << QList<QStringList>{{"H.RDC/H_009.R3D"}} << QStringList{"H.RDC/H_001.R3D 7"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new",
                           "addFiles: folded 1 later piece(s) into 1 spanned clip(s): "
                           "H_001.R3D (2 pieces)",
                           "addFiles: spanned clip H_001.R3D lacks H_002.R3D, H_003.R3D, "
                           "H_004.R3D, H_005.R3D, H_006.R3D and 2 more; REDline cannot read it "
                           "whole without every piece"};
    }
    void spannedClipsAreOneJob() {
        QFETCH(QList<QStringList>, drops);
        QTemporaryDir card;
        QDir(card.path()).mkpath("G.RDC");
        QDir(card.path()).mkpath("H.RDC");
        for (const QString file :
             {"C_001.R3D 4000000000", "C_002.R3D 4000000000", "C_003.r3d 1500000000", "S_001.R3D 5",
              "X_7.R3D 7", "X_8.R3D 8", "Y_0001.R3D 9", "Y_0002.R3D 10", "G.RDC/G_002.R3D 20",
              "G.RDC/G_003.R3D 10", "H.RDC/H_001.R3D 3", "H.RDC/H_009.R3D 4"})
            TestTools::touch(card.filePath(file.section(' ', 0, 0)),
                             file.section(' ', 1).toLongLong());

        auto q = queue();
        for (const QStringList &drop : drops) {
            QList<QUrl> urls;
            for (const QString &name : drop)
                urls << (name.isEmpty() ? folderUrl(card.path())
                                        : QUrl::fromLocalFile(card.filePath(name)));
            q->addFiles(urls);
        }
        QStringList added;
        for (const TranscodeJob *j : q->jobs())
            added << QDir(card.path()).relativeFilePath(j->sourcePath()) + ' ' +
                         QString::number(j->sourceSizeBytes());
        added.sort(); // a folder lists in the file system's order
        QTEST(added, "jobs");
        QTEST(logLines(), "log");
    }

    // The warnings shown are those that hold for the list as it is now: a
    // piece added later clears its clip's warning and counts in its size, a
    // file renamed clears its warning, a drop without clips is news until
    // the next drop, and a clip's warning goes with its job.
    void warningsFollowTheList() {
        QTemporaryDir card;
        QDir(card.path()).mkpath("H.RDC");
        QDir(card.path()).mkpath("odd");
        TestTools::touch(card.filePath("H.RDC/H_001.R3D"), 3);
        TestTools::touch(card.filePath("H.RDC/H_003.R3D"), 4);
        TestTools::touch(card.filePath("clip.mov"));
        const QByteArray odd = QFile::encodeName(card.filePath("odd")) + "/caf\xe9.R3D";
        ::close(::open(odd.constData(), O_CREAT | O_WRONLY, 0644));
        auto q = queue();
        QSignalSpy changed(q.get(), &TranscodeQueue::intakeWarningsChanged);
        const QString lacks = "spanned clip H_001.R3D lacks H_002.R3D; REDline cannot read it "
                              "whole without every piece";

        q->addFiles({QUrl::fromLocalFile(card.filePath("H.RDC/H_003.R3D"))});
        QCOMPARE(q->currentIntakeWarnings(), QStringList{lacks});
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 7);
        q->addFiles({folderUrl(card.filePath("odd"))});
        QCOMPARE(q->currentIntakeWarnings().size(), 2);
        QVERIFY(q->currentIntakeWarnings().at(1).startsWith("skipped 1 R3D file(s)"));

        TestTools::touch(card.filePath("H.RDC/H_002.R3D"), 5);
        QCOMPARE(::rename(odd.constData(), QFile::encodeName(card.filePath("odd/cafe.R3D"))), 0);
        q->reviewIntakeWarnings();
        QCOMPARE(q->currentIntakeWarnings(), QStringList{});
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 7); // until the clip is dropped again
        q->addFiles({folderUrl(card.filePath("H.RDC"))});
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 12);

        q->addFiles({QUrl::fromLocalFile(card.filePath("clip.mov"))});
        QCOMPARE(q->currentIntakeWarnings(),
                 QStringList{"no R3D files found in [\"" + card.filePath("clip.mov") + "\"]"});
        q->addFiles({folderUrl(card.filePath("odd"))});
        QCOMPARE(q->currentIntakeWarnings(), QStringList{});

        QVERIFY(QFile::remove(card.filePath("H.RDC/H_002.R3D")));
        q->addFiles({folderUrl(card.filePath("H.RDC"))});
        QCOMPARE(q->currentIntakeWarnings(), QStringList{lacks});
        q->remove(q->jobs().at(0));
        QCOMPARE(q->currentIntakeWarnings(), QStringList{});
        QCOMPARE(changed.count(), 7);
    }

    // The log goes to the desktop folder, or to the home folder when there
    // is none (Qt names $HOME/Desktop whether or not it exists); the queue
    // writes there unless told otherwise.
    void logLocation_data() {
        QTest::addColumn<QString>("folder"); // the log's folder, below the home folder
        QTest::newRow("Desktop folder") << "/Desktop";
        QTest::newRow("no Desktop folder") << "";
    }
    void logLocation() {
        QFETCH(QString, folder);
        QTemporaryDir home;
        QDir().mkpath(home.path() + folder);
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString location = DebugLog::defaultLocation(), used = TranscodeQueue().logPath();
        qputenv("HOME", savedHome);
        QCOMPARE(location, home.path() + folder + "/Tarnel_debug.txt");
        QCOMPARE(used, location);
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
        const QStringList lines = TestTools::logLines(dir.filePath("log"));
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("xxx") && lines[0].size() < 6000);
        QCOMPARE(lines[1], QString("next"));
    }
};

TARNEL_TEST_MAIN(IntakeTest)
#include "tst_intake.moc"
