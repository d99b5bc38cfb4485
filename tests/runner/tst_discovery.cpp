#include "runner/MediaProbe.h"
#include "runner/OutputDiscovery.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <sys/stat.h>

class DiscoveryTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_movies;
    QString m_movie; // a real movie of 320x240

    // What a record says, on one line.
    static QString describe(const R3DMetadata &m) {
        return QString::asprintf("%lld fps %lldx%lld, %lld frames%s", m.frameRate, m.width,
                                 m.height, m.frameCount, m.hasAudio ? ", audio" : "");
    }
    // A file of some bytes last changed at the given time.
    static bool writeAt(const QString &path, const QDateTime &time) {
        TestTools::touch(path, 10);
        QFile f(path);
        return f.open(QIODevice::ReadWrite) &&
               f.setFileTime(time, QFileDevice::FileModificationTime);
    }
    static QString pathIn(const QTemporaryDir &dir, const QString &name) {
        return name.isEmpty() ? QString() : dir.filePath(name);
    }

private Q_SLOTS:
    void initTestCase() {
        m_movie = m_movies.filePath("whole.mov");
        QVERIFY(TestTools::ffmpeg(
            {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=2", "-c:v", "mpeg4", m_movie}));
    }

    // Files are "name@seconds", their modification time relative to the
    // start of the conversion.
    void findOutputFile_data() {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const char *files, const char *base,
                            const char *expected) {
            QTest::newRow(tag) << QString(files) << QString(base) << QString(expected);
        };
        row("extension ignores case", "A_tarnel.MOV@1", "A", "A_tarnel.MOV");
        row("two spellings of the extension, the newer", "A_tarnel.mov@1 A_tarnel.MOV@2", "A",
            "A_tarnel.MOV");
        row("unrelated name, only fresh movie", "other.mov@3 stale.mov@-3600 notes.txt@4", "A",
            "other.mov");
        row("1.5 s before start still counts", "x.mov@-1.5", "A", "x.mov");
        row("2.5 s before start does not", "x.mov@-2.5", "A", "");
        row("old name match beats fresh stranger", "A_tarnel.mov@-3600 fresh.mov@2", "A",
            "A_tarnel.mov");
        row("expected name first, even when older", "B001_C001_tarnel.mov@1 B001_C001_X.mov@2",
            "B001_C001", "B001_C001_tarnel.mov");
        row("REDline's suffix after the expected name", "B_tarnel_001.mov@1 B_old.mov@2", "B",
            "B_tarnel_001.mov");
        // A movie named like its clip is a prefix of the next one's (A, A_2).
        row("exact name beats a newer longer one", "B_tarnel.mov@1 B_tarnel_2.mov@2", "B",
            "B_tarnel.mov");
        row("newest of the names containing the base name", "B_old.mov@1 x_B_y.mov@2", "B",
            "x_B_y.mov");
        // Another clip's movie ("A001_C001_tarnel" holds the base name "C001"):
        // never taken, not even as the only fresh movie.
        row("another conversion's movie", "A001_C001_tarnel.mov@1 C001_x_tarnel.mov@2", "C001", "");
    }
    void findOutputFile() {
        QFETCH(QString, files);
        QFETCH(QString, baseName);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-86400 * 2);
        for (const QString &file : files.split(u' '))
            QVERIFY(writeAt(dir.filePath(file.section(u'@', 0, 0)),
                            start.addMSecs(qint64(file.section(u'@', 1).toDouble() * 1000))));
        const auto found =
            OutputDiscovery::findOutputFile(dir.path(), baseName, baseName + "_tarnel", start);
        QCOMPARE(found.value_or(QString()), pathIn(dir, expected));
    }

    // Only what this conversion wrote counts: a movie there, unchanged, from
    // before REDline started is never the result; one rewritten in place is.
    void onlyWhatThisConversionWrote_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing written") << QString() << QString();
        QTest::newRow("rewritten in place") << "A_tarnel.mov"
                                            << "A_tarnel.mov";
        QTest::newRow("written beside, with a suffix") << "A_tarnel_001.mov"
                                                       << "A_tarnel_001.mov";
        QTest::newRow("replaced by another file") << "replace"
                                                  << "A_tarnel.mov";
    }
    void onlyWhatThisConversionWrote() {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QDateTime start = QDateTime::currentDateTimeUtc();
        // A 2-day-old movie of the expected name, and two from just before
        // the start, one named for the clip and one not.
        QVERIFY(writeAt(dir.filePath("A_tarnel.mov"), start.addDays(-2)));
        TestTools::touch(dir.filePath("A_take1.mov"), 10);
        TestTools::touch(dir.filePath("take2.mov"), 10);
        const OutputDiscovery::Snapshot before = OutputDiscovery::snapshot(dir.path(), "A");
        QCOMPARE(before.movieCount(), 3);

        if (change == "replace") {
            QVERIFY(writeAt(dir.filePath("new"), start.addDays(-2)));
            QVERIFY(::rename(QFile::encodeName(dir.filePath("new")).constData(),
                             QFile::encodeName(dir.filePath("A_tarnel.mov")).constData()) == 0);
        } else if (!change.isEmpty()) {
            TestTools::touch(dir.filePath(change), 20);
        }
        const auto found =
            OutputDiscovery::findOutputFile(dir.path(), "A", "A_tarnel", start, before);
        QFETCH(QString, expected);
        QCOMPARE(found.value_or(QString()), pathIn(dir, expected));
    }

    void measure_data() {
        QTest::addColumn<QString>("ffmpegArgs");
        QTest::addColumn<QString>("expected");
        QTest::newRow("1080p25, 4 s, audio")
            << "-f lavfi -i testsrc2=s=1920x1080:r=25:d=4 -f lavfi -i sine=d=4:r=48000 -c:v mpeg4 "
               "-q:v 31 -c:a pcm_s16le"
            << "25 fps 1920x1080, 100 frames, audio";
        QTest::newRow("29.97 for 100.1 s: 3000 frames at the exact rate")
            << "-f lavfi -i color=c=gray:s=64x36:r=30000/1001:d=100.1 -c:v mpeg4 -q:v 31"
            << "30 fps 64x36, 3000 frames";
        QTest::newRow("no video: 24 fps fallback, length still counted")
            << "-f lavfi -i sine=d=3:r=48000 -c:a pcm_s16le"
            << "24 fps 4096x2160, 72 frames, audio";
    }
    void measure() {
        QFETCH(QString, ffmpegArgs);
        const QString path = m_movies.filePath(QString(QTest::currentDataTag()) + ".mov");
        QVERIFY(TestTools::ffmpeg(ffmpegArgs.split(u' ') << path));
        QTEST(describe(MediaProbe::readMetadata(path)), "expected");
    }

    // A movie can be played, or says why not: cut short (header last, or
    // first with frames past the end), no video.
    void unreadableMovies_data() {
        QTest::addColumn<QString>("ffmpegArgs");
        QTest::addColumn<double>("keep"); // the part of the file kept
        QTest::addColumn<QString>("why");
        const QString video = "-f lavfi -i testsrc2=s=320x240:r=25:d=2 -c:v mpeg4";
        QTest::newRow("whole") << video << 1.0 << "";
        QTest::newRow("cut short, header last") << video << 0.5 << "not a complete QuickTime movie";
        QTest::newRow("cut short, header first")
            << video + " -movflags +faststart" << 0.6 << "cut short";
        QTest::newRow("sound only")
            << "-f lavfi -i sine=d=1:r=48000 -c:a pcm_s16le" << 1.0 << "no video track";
        QTest::newRow("empty file") << "" << 0.0 << "not a complete QuickTime movie";
    }
    void unreadableMovies() {
        QFETCH(QString, ffmpegArgs);
        QFETCH(double, keep);
        const QString path = m_movies.filePath("u-" + QString(QTest::currentDataTag()) + ".mov");
        if (ffmpegArgs.isEmpty())
            TestTools::touch(path, 0);
        else
            QVERIFY(TestTools::ffmpeg(ffmpegArgs.split(u' ') << path));
        QVERIFY(QFile::resize(path, qint64(QFileInfo(path).size() * keep)));
        QTEST(MediaProbe::unreadableReason(path), "why");
        QFETCH(QString, why);
        if (why == "not a complete QuickTime movie") // nothing to measure: the fallback
            QCOMPARE(MediaProbe::readMetadata(path), R3DMetadata::fallback());
    }

    // An entry named like the movie that is no regular file is never taken
    // for it; measuring one gives the fallback at once (no blocking, no link).
    void specialFilesAreNotMovies_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("link to a device") << "/dev/zero";
        QTest::newRow("link to a real movie") << "movie";
        QTest::newRow("folder") << "folder";
    }
    void specialFilesAreNotMovies() {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString movie = dir.filePath("B_older.mov"), special = dir.filePath("B_tarnel.mov");
        QVERIFY(QFile::copy(m_movie, movie));
        if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(special).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(special));
        else
            QVERIFY(QFile::link(kind == "movie" ? movie : kind, special));
        const auto found = OutputDiscovery::findOutputFile(dir.path(), "B", "B_tarnel",
                                                           QDateTime::currentDateTimeUtc());
        QCOMPARE(found.value_or(QString()), movie);
        QCOMPARE(MediaProbe::readMetadata(special), R3DMetadata::fallback());
    }
};

TARNEL_TEST_MAIN(DiscoveryTest)
#include "tst_discovery.moc"
