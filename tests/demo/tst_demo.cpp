// The demo without a display, end to end: run-demo-check has run
// scripts/demo-headless in a fresh demo profile (its settings with the
// REDline stand-in, its Desktop and Videos folders, the sample clips).
// tarnel-cli converted the samples, then the window took the same folder and
// left a picture of itself and the state of its jobs at that moment. This
// checks what they left behind.
#include "runner/MediaProbe.h"
#include "support/TestTools.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class DemoTest : public QObject {
    Q_OBJECT

    const QString m_profile = qEnvironmentVariable("TARNEL_DEMO_PROFILE");
    const QString m_movies = m_profile + "/home/Videos/Tarnel";
    const QString m_clips = m_profile + "/Sample Clips";

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_profile.contains("tarnel-demo"), "not in a demo profile"); }

    void threeMovies() {
        const QStringList movies = QDir(m_movies).entryList({"*_tarnel.mov"});
        QCOMPARE(movies.size(), 3);
        const QString summary = TestTools::readFile(m_profile + "/demo-output.txt");
        QVERIFY(summary.contains("Movies:         " + m_movies));
        for (const QString &movie : movies) {
            const QString path = m_movies + '/' + movie;
            const auto measured = MediaProbe::readMetadata(path);
            QCOMPARE(measured.width, qint64(1280));
            QVERIFY(measured.frameCount == 48 || measured.frameCount == 50);
            const QString source = m_clips + '/' + movie.chopped(11) + ".R3D";
            QVERIFY(QFileInfo(path).size() < QFileInfo(source).size());
            // The demo's one-line summary of the movie: name, flavour, size, saving.
            QVERIFY2(summary.contains(QRegularExpression(QRegularExpression::escape(movie) +
                                                         " +ProRes LT +[0-9.]+MB +saved \\d+% of")),
                     qPrintable(summary));
        }
    }

    // tarnel-cli's one document for the whole card: every clip at its own
    // timecode (14:07:40:17 at 25 fps for one), with its own reel.
    void shootDocument() {
        const QString xml = TestTools::readFile(m_clips + ".fcpxml");
        const QString problems = TestTools::fcpxmlProblems(xml);
        QVERIFY2(problems.isEmpty(), qPrintable(problems + "\n" + xml));
        QSet<QString> starts;
        for (const auto &m :
             QRegularExpression("<asset-clip .* start=\"([^\"]+)\"").globalMatch(xml))
            starts << m.captured(1);
        QCOMPARE(starts.size(), 3);
        QVERIFY(
            starts.contains(QString::number(((14 * 60 + 7) * 60 + 40) * 25 + 17) + "000/25000s"));
        for (const QString reel : {"A001", "A002", "B001"})
            QCOMPARE(xml.count("key=\"com.apple.proapps.studio.reel\" value=\"" + reel + '"'), 1);
    }

    void logOfBothRuns() {
        const QString log = TestTools::readFile(m_profile + "/home/Desktop/Tarnel_debug.txt");
        QVERIFY(log.contains(QRegularExpression("tarnel-cli\\[\\d+\\]: converting 3 file\\(s\\) "
                                                "with ProRes 422 LT into " +
                                                QRegularExpression::escape(m_movies) + "\n")));
        QVERIFY(log.contains(QRegularExpression("tarnel-cli\\[\\d+\\]: exit status 0\n")));
        QCOMPARE(log.count("start: beginning queue of 3 file(s)"),
                 2); // tarnel-cli, then the window
        QCOMPARE(log.count("step 1 done: output = " + m_movies + "/"), 6);
        QCOMPARE(log.count(QString::fromUtf8("queue finished — 3 file(s), 0 failed")), 2);
    }

    void windowPictureShowsTheFinishedList() {
        const QStringList jobs =
            TestTools::readFile(m_profile + "/demo-window.jsonl").split('\n', Qt::SkipEmptyParts);
        QCOMPARE(jobs.size(), 3);
        for (const QString &line : jobs) {
            const QJsonObject job = QJsonDocument::fromJson(line.toUtf8()).object();
            QCOMPARE(job["status"].toString(), QString("done"));
            QVERIFY(job["file"].toString().startsWith(m_clips + '/'));
            QVERIFY(QFileInfo(job["movie"].toString()).dir() == QDir(m_movies));
            QVERIFY(job["movieBytes"].toInteger() > 0);
        }
        const QImage picture(m_profile + "/demo-window.png");
        QVERIFY(!picture.isNull());
        QVERIFY(picture.width() >= 500 && picture.height() >= 600);
    }
};

QTEST_MAIN(DemoTest)
#include "tst_demo.moc"
