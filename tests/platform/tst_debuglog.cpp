#include "platform/DebugLog.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class DebugLogTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString log() const { return m_dir.filePath("log.txt"); }

private Q_SLOTS:
    // Entries of several writers follow each other; continuation lines carry
    // no stamp, and a log deleted meanwhile is recreated.
    void logEntries() {
        DebugLog(log()).append("one");
        const DebugLog writer(log());
        writer.append("two\nlines");
        QFile f(log());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().split('\n').at(2), QByteArray("lines"));
        QCOMPARE(TestTools::logLines(log()), (QStringList{"one", "two", "lines"}));
        QVERIFY(QFile::remove(log()));
        writer.append("three");
        QCOMPARE(TestTools::logLines(log()), QStringList{"three"});

        const QDateTime local =
            QDateTime(QDate(2026, 12, 5), QTime(8, 17, 17, 450), Qt::UTC).toOffsetFromUtc(5 * 3600);
        QCOMPARE(DebugLog::entry(local, "x"), QString("[2026-12-05 08:17:17 +0000] x\n"));
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

TARNEL_TEST_MAIN(DebugLogTest)
#include "tst_debuglog.moc"
