#include "runner/MediaProbe.h"
#include "runner/OutputDiscovery.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

// One file in the output folder: its name and its modification time in
// seconds relative to the start of the conversion.
struct Entry {
    QString name;
    double offset;
};

} // namespace

Q_DECLARE_METATYPE(QList<Entry>)

class DiscoveryTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_movies;

private Q_SLOTS:
    void findOutputFile_data() {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("expected");
        const QString a = "A001_C002_0101AB";
        QTest::newRow("newer of two name matches")
            << QList<Entry>{{a + "_old.mov", -86400}, {a + "_tarnel.mov", 5}} << a
            << a + "_tarnel.mov";
        QTest::newRow("extension ignores case")
            << QList<Entry>{{a + "_tarnel.MOV", 1}} << a << a + "_tarnel.MOV";
        QTest::newRow("unrelated name, only fresh movie")
            << QList<Entry>{{"other.mov", 3}, {"stale.mov", -3600}, {"notes.txt", 4}} << a
            << "other.mov";
        QTest::newRow("1.5 s before start still counts")
            << QList<Entry>{{"x.mov", -1.5}} << a << "x.mov";
        QTest::newRow("2.5 s before start does not") << QList<Entry>{{"x.mov", -2.5}} << a << "";
        QTest::newRow("old name match beats fresh stranger")
            << QList<Entry>{{a + "_tarnel.mov", -3600}, {"fresh.mov", 2}} << a << a + "_tarnel.mov";
        QTest::newRow("containing the base name is enough")
            << QList<Entry>{{"B001_C001_tarnel.mov", 1}, {"B001_C001_X_tarnel.mov", 2}}
            << "B001_C001"
            << "B001_C001_X_tarnel.mov";
        QTest::newRow("no movies") << QList<Entry>{{a + "_tarnel.mp4", 1}} << a << "";
    }
    void findOutputFile() {
        QFETCH(QList<Entry>, entries);
        QFETCH(QString, baseName);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-86400 * 2);
        for (const Entry &e : entries) {
            QFile f(dir.filePath(e.name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.setFileTime(start.addMSecs(qint64(e.offset * 1000)),
                                  QFileDevice::FileModificationTime));
        }
        const auto found =
            OutputDiscovery::findOutputFile(dir.path(), baseName, baseName + "_tarnel", start);
        QCOMPARE(found.value_or(QString()),
                 expected.isEmpty() ? QString() : dir.filePath(expected));
    }

    void unreadableFolderFindsNothing() {
        QVERIFY(!OutputDiscovery::findOutputFile(m_movies.filePath("missing"), "a", "a_tarnel",
                                                 QDateTime::currentDateTimeUtc()));
    }

    void measure_data() {
        QTest::addColumn<QStringList>("ffmpegArgs");
        QTest::addColumn<qint64>("rate");
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<bool>("audio");
        const QStringList fast{"-c:v", "mpeg4", "-q:v", "31"};
        QTest::newRow("1080p25, 4 s, audio")
            << (QStringList{"-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=25:d=4", "-f", "lavfi",
                            "-i", "sine=d=4:r=48000"} +
                fast + QStringList{"-c:a", "pcm_s16le"})
            << qint64(25) << qint64(1920) << qint64(1080) << qint64(100) << true;
        QTest::newRow("29.97 for 100.1 s")
            << (QStringList{"-f", "lavfi", "-i", "color=c=gray:s=64x36:r=30000/1001:d=100.1"} +
                fast)
            << qint64(30) << qint64(64) << qint64(36) << qint64(3003) << false;
        QTest::newRow("no video: 24 fps fallback, length still counted")
            << QStringList{"-f", "lavfi", "-i", "sine=d=3:r=48000", "-c:a", "pcm_s16le"}
            << qint64(24) << qint64(4096) << qint64(2160) << qint64(72) << true;
    }
    void measure() {
        QFETCH(QStringList, ffmpegArgs);
        QFETCH(qint64, rate);
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        QFETCH(qint64, frames);
        QFETCH(bool, audio);
        const QString path = m_movies.filePath(QString(QTest::currentDataTag()) + ".mov");
        QVERIFY(TestTools::ffmpeg(ffmpegArgs + QStringList{path}));
        const R3DMetadata m = MediaProbe::readMetadata(path);
        QCOMPARE(m.frameRate, rate);
        QCOMPARE(m.width, width);
        QCOMPARE(m.height, height);
        QCOMPARE(m.frameCount, frames);
        QCOMPARE(m.hasAudio, audio);
    }

    // Files that are no readable movie give the fallback record.
    void unreadableFilesGiveTheFallback_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text file") << "text";
        QTest::newRow("truncated movie, header lost") << "truncated";
    }
    void unreadableFilesGiveTheFallback() {
        QFETCH(QString, kind);
        const QString path = m_movies.filePath(kind + ".mov");
        QFile f(path);
        if (kind == "truncated") {
            const QString whole = m_movies.filePath("whole.mov");
            QVERIFY(TestTools::ffmpeg(
                {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=2", "-c:v", "mpeg4", whole}));
            QFile in(whole);
            QVERIFY(in.open(QIODevice::ReadOnly) && f.open(QIODevice::WriteOnly));
            f.write(in.read(in.size() / 2)); // the header sits at the end
        } else {
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Hello, this is not a movie at all.\n");
        }
        f.close();
        QCOMPARE(MediaProbe::readMetadata(path), R3DMetadata::fallback());
    }

    // An entry named like the movie that is no regular file is never taken
    // for it, and measuring one gives the fallback at once instead of
    // blocking (a pipe) or reading something else (a link).
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
        QVERIFY(TestTools::ffmpeg(
            {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25:d=1", "-c:v", "mpeg4", movie}));
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
        QCOMPARE(MediaProbe::readMetadata(movie).width, qint64(320));
    }
};

TARNEL_TEST_MAIN(DiscoveryTest)
#include "tst_discovery.moc"
