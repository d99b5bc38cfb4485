#include "fcpxml/FCPXMLGenerator.h"
#include "model/TranscodeJob.h"
#include "platform/Workspace.h"
#include "runner/MediaProbe.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QJsonArray>
#include <QXmlStreamReader>
#include <QtTest>

#include <sys/stat.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unistd.h>

namespace {

const QDateTime kNoon(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC);

// Every attribute of a document as "element.attribute" (the last element of
// a name wins), and "error" when it is not well-formed.
QHash<QString, QString> attributesOf(const QString &xml) {
    QHash<QString, QString> found;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            for (const QXmlStreamAttribute &a : reader.attributes())
                found.insert(reader.name() + u'.' + a.name(), a.value().toString());
        }
    }
    if (reader.hasError())
        found.insert("error", reader.errorString());
    return found;
}

} // namespace

class FcpxmlTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_apps;

    TranscodeJob *convertedJob(const QString &sourceName, const QString &moviePath) {
        auto *job = new TranscodeJob(QUrl::fromLocalFile("/card/" + sourceName), this);
        job->setOutputURL(QUrl::fromLocalFile(moviePath));
        return job;
    }

    // The document folders tried with no runtime folder and TMPDIR set.
    static QStringList candidatesWithTemporaryFolder(const QString &temporaryFolder) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), temporary = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temporaryFolder));
        const QStringList folders = FCPXMLGenerator::documentFolderCandidates();
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temporary);
        return folders;
    }

private Q_SLOTS:
    void initTestCase() {
        icu::Locale::setDefault(icu::Locale::getUS(), *std::make_unique<UErrorCode>(U_ZERO_ERROR));
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("UTC"));
        m_apps = m_dir.filePath("xdg-data");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_apps));
    }

    // A record without an exact rate: the whole-rate timing, 24 as 23.976,
    // 25 exactly; a rate of 0 reads as 24, no frames as one second. The
    // event's date follows the locale.
    void rateTable_data() {
        QTest::addColumn<qint64>("rate");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<QString>("timing"); // format name rate, frame duration, duration
        QTest::addColumn<QString>("date");   // in the locale of the tag's first word
        const auto row = [](const char *tag, qint64 rate, qint64 frames, const char *timing,
                            const char *date = "Dec 5, 2026") {
            QTest::newRow(tag) << rate << frames << QString(timing) << QString(date);
        };
        row("en_US 24", 24, 240, "24 1001/24000s 240240/24000s");
        row("en_US 25", 25, 100, "25 1000/25000s 100000/25000s");
        row("en_US 0 and no frames: 24, one second", 0, 0, "24 1001/24000s 23023/24000s");
        row("de_DE 25", 25, 100, "25 1000/25000s 100000/25000s", "05.12.2026");
    }
    void rateTable() {
        QFETCH(qint64, rate);
        QFETCH(qint64, frames);
        QFETCH(QString, timing);
        QFETCH(QString, date);
        const QStringList t = timing.split(u' ');
        TranscodeJob job(QUrl::fromLocalFile("/card/A001_C001.R3D"));
        R3DMetadata m;
        m.frameRate = rate;
        m.frameCount = frames;
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(QByteArray(QTest::currentDataTag()).left(5)), status);
        const QString xml = FCPXMLGenerator::generateXML(
            job, QUrl::fromLocalFile("/Users/user/Movies/Tarnel/A001_C001.mov"), m, kNoon);
        icu::Locale::setDefault(icu::Locale::getUS(), status);
        const QString expected =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE fcpxml>\n"
            "<fcpxml version=\"1.14\">\n"
            "    <resources>\n"
            "        <format id=\"r1\" name=\"FFVideoFormat4096x2160p" +
            t[0] + "\" frameDuration=\"" + t[1] +
            "\" width=\"4096\" height=\"2160\" colorSpace=\"1-1-1 (Rec. 709)\"/>\n"
            "        <asset id=\"r2\" name=\"A001_C001\" start=\"0s\" duration=\"" +
            t[2] +
            "\" hasVideo=\"1\" format=\"r1\" videoSources=\"1\">\n"
            "            <media-rep kind=\"original-media\" "
            "src=\"file:///Users/user/Movies/Tarnel/A001_C001.mov\"/>\n"
            "        </asset>\n"
            "    </resources>\n"
            "    <library>\n"
            "        <event name=\"Tarnel Import \u2014 " +
            date +
            "\">\n"
            "            <asset-clip ref=\"r2\" name=\"A001_C001\" start=\"0s\" duration=\"" +
            t[2] +
            "\" format=\"r1\" tcFormat=\"NDF\"/>\n"
            "        </event>\n"
            "    </library>\n"
            "</fcpxml>";
        QCOMPARE(xml, expected);
        const QString problems = TestTools::fcpxmlProblems(xml);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
    }

    // Movies made by ffmpeg, measured and described: the document agrees
    // with ffprobe. A movie is "rate frames" and options (tc=, reel=,
    // audio=layout@rate,..., color=709|hlg); expected is the frame duration,
    // the format name's rate ("-" for none) and the start frame.
    void describesTheMovie_data() {
        QTest::addColumn<QString>("movie");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("colorSpace");
        const auto row = [](const char *tag, const char *movie, const char *expected,
                            const char *colorSpace = "1-1-1 (Rec. 709)") {
            QTest::newRow(tag) << movie << expected << colorSpace;
        };
        row("23.976, reel, stereo, Rec. 709",
            "24000/1001 12 tc=01:00:00:00 reel=A001 "
            "audio=stereo@48000 color=709",
            "1001/24000s 2398 86400");
        row("24, no timecode, no audio", "24 10", "100/2400s 24 0");
        row("25, mono", "25 10 tc=10:00:00:00 reel=B002 audio=mono@48000", "1000/25000s 25 900000");
        row("29.97 drop-frame, 6 channels", "30000/1001 15 tc=01:00:00;00 audio=5.1@48000",
            "1001/30000s 2997 107892");
        row("29.97 non-drop, two tracks",
            "30000/1001 15 tc=01:00:00:00 audio=stereo@48000,mono@48000",
            "1001/30000s 2997 108000");
        row("30, 44.1 kHz", "30 15 tc=00:00:10:00 audio=stereo@44100", "100/3000s 30 300");
        row("47.952", "48000/1001 12 tc=00:00:01:00", "1001/48000s - 48");
        row("48", "48 12", "100/4800s - 0");
        row("50", "50 10 tc=00:01:00:00", "1000/50000s 50 3000");
        row("59.94 drop-frame", "60000/1001 20 tc=00:10:00;00", "1001/60000s 5994 35964");
        row("60", "60 20", "100/6000s 60 0");
        row("96", "96 12 tc=00:00:01:00", "100/9600s - 96");
        row("119.88", "120000/1001 24", "1001/120000s 11988 0");
        row("120", "120 24 tc=00:00:10:000", "100/12000s 120 1200");
        row("HLG tags", "25 5 color=hlg", "1000/25000s 25 0", "9-18-9 (Rec. 2020 HLG)");
    }
    void describesTheMovie() {
        QFETCH(QString, movie);
        QFETCH(QString, expected);
        QFETCH(QString, colorSpace);
        QStringList words = movie.split(u' ');
        const QString rate = words.takeFirst(), frames = words.takeFirst();
        QHash<QString, QString> option;
        for (const QString &o : std::as_const(words))
            option.insert(o.section(u'=', 0, 0), o.section(u'=', 1));
        const QStringList tracks = option.value("audio").split(u',', Qt::SkipEmptyParts);
        QStringList args{"-f", "lavfi", "-i", "testsrc2=s=32x18:r=" + rate};
        for (const QString &track : tracks)
            args +=
                {"-t", "0.2",
                 "-f", "lavfi",
                 "-i", "anullsrc=cl=" + track.section(u'@', 0, 0) + ":r=" + track.section(u'@', 1)};
        for (int i = 0; i <= tracks.size(); ++i)
            args += {"-map", QString::number(i)};
        args += {"-r", rate, "-frames:v", frames, "-c:v", "prores_ks", "-c:a", "pcm_s16le"};
        if (option.contains("tc"))
            args += {"-timecode", option["tc"]};
        if (option.contains("reel"))
            args += {"-metadata:s:v:0", "reel_name=" + option["reel"]};
        const bool hlg = option.value("color") == "hlg";
        if (option.contains("color"))
            args += {"-color_primaries", hlg ? "bt2020" : "bt709",
                     "-color_trc",       hlg ? "arib-std-b67" : "bt709",
                     "-colorspace",      hlg ? "bt2020nc" : "bt709"};
        const QString path = m_dir.filePath(QString(QTest::currentDataTag()) + ".mov");
        QVERIFY(TestTools::ffmpeg(args << path));

        // What ffprobe reads in the movie.
        QJsonObject video, tmcd;
        QList<QJsonObject> audio;
        for (const QJsonValue &v : TestTools::ffprobe(path)["streams"].toArray()) {
            const QJsonObject stream = v.toObject();
            if (stream["codec_type"] == "audio")
                audio << stream;
            else
                (stream["codec_type"] == "video" ? video : tmcd) = stream;
        }
        QCOMPARE(video["avg_frame_rate"].toString(), rate.contains(u'/') ? rate : rate + "/1");
        const qint64 count = video["nb_frames"].toString().toLongLong();
        const QString timecode = tmcd["tags"].toObject()["timecode"].toString();
        QCOMPARE(timecode, option.value("tc"));

        TranscodeJob job(QUrl::fromLocalFile("/card/A001_C002_0101AB.R3D"));
        const QString xml = FCPXMLGenerator::generateXML(job, QUrl::fromLocalFile(path),
                                                         MediaProbe::readMetadata(path), kNoon);
        const QString problems = TestTools::fcpxmlProblems(xml);
        QVERIFY2(problems.isEmpty(), qPrintable(problems + "\n" + xml));

        // Durations and starts in frame durations; audio: one source per
        // track, the most channels of one, the first rate.
        const QStringList e = expected.split(u' ');
        const qint64 step = e[0].section(u'/', 0, 0).toLongLong(), start = e[2].toLongLong();
        const QString per = u'/' + e[0].section(u'/', 1);
        int channels = 0;
        for (const QJsonObject &track : std::as_const(audio))
            channels = std::max(channels, track["channels"].toInt());
        const QString dur = QString::number(count * step) + per,
                      at = start ? QString::number(start * step) + per : QString("0s");
        const QString sound = audio.isEmpty() ? "- - - -"
                                              : QString("1 %1 %2 %3")
                                                    .arg(audio.size())
                                                    .arg(channels)
                                                    .arg(audio[0]["sample_rate"].toString());
        const QString name = e[1] == "-" ? QString("-") : "FFVideoFormat32x18p" + e[1];
        const QString want = QStringList{e[0],       name,
                                         colorSpace, dur,
                                         at,         dur,
                                         at,         timecode.contains(u';') ? "DF" : "NDF",
                                         sound,      option.value("reel", "-")}
                                 .join(u' ');
        const auto a = attributesOf(xml);
        QStringList got;
        for (const char *key :
             {"format.frameDuration", "format.name", "format.colorSpace", "asset.duration",
              "asset.start", "asset-clip.duration", "asset-clip.start", "asset-clip.tcFormat",
              "asset.hasAudio", "asset.audioSources", "asset.audioChannels", "asset.audioRate",
              "md.value"})
            got << a.value(key, "-");
        QCOMPARE(got.join(u' '), want);
    }

    // Odd names and paths give a well-formed document whose values read back;
    // the media URL is a valid URI decoding to exactly the path's bytes.
    void oddNamesAndPaths_data() {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("clipName");
        QTest::addColumn<QString>("outputPath");
        const auto row = [](const char *tag, const QString &source, const QString &clip,
                            const QString &path) { QTest::newRow(tag) << source << clip << path; };
        row("markup and quotes", "Take & \"cut\" it's <1>.R3D", "Take & \"cut\" it's <1>",
            "/Volumes/My Drive/R&D #2/100% \"done\" 'neu'/A_tarnel.mov");
        row("non-ASCII", QString::fromUtf8("Café 日本 Ü.R3D"), QString::fromUtf8("Café 日本 Ü"),
            QString::fromUtf8("/Users/zoë/Ausgabe/A.mov"));
        row("control characters", "tab\there\nline\x01\x1a.R3D",
            QString("tab\there\nline") + QChar(0xFFFD) + QChar(0xFFFD), "/o/c.mov");
        // A leading "//" must not turn the first folder into a host name.
        row("path starting with //", "A.R3D", "A", "//home/user/A_tarnel.mov");
        row("brackets", "A.R3D", "A", "/o/[take 1]/A_tarnel.mov");
        row("noncharacter U+7FFFF", "A.R3D", "A",
            "/o/" + QString::fromUcs4(U"\U0007FFFF") + "/A_tarnel.mov");
    }
    void oddNamesAndPaths() {
        QFETCH(QString, sourceName);
        QFETCH(QString, clipName);
        QFETCH(QString, outputPath);
        TranscodeJob job(QUrl::fromLocalFile("/card/" + sourceName));
        const QString xml = FCPXMLGenerator::generateXML(job, QUrl::fromLocalFile(outputPath),
                                                         R3DMetadata{}, kNoon);
        const auto a = attributesOf(xml);
        QVERIFY2(!a.contains("error"), qPrintable(a.value("error") + "\n" + xml));
        QCOMPARE(a.value("asset.name"), clipName);
        QCOMPARE(a.value("asset-clip.name"), clipName);
        static const QRegularExpression uri(
            "^file://(/|%[0-9A-Fa-f]{2}|[A-Za-z0-9._~!$&'()*+,;=:@-])*$");
        const QString src = a.value("media-rep.src");
        QVERIFY2(uri.match(src).hasMatch(), qPrintable(src));
        QCOMPARE(QByteArray::fromPercentEncoding(src.mid(7).toLatin1()),
                 QFile::encodeName(outputPath));
    }

    // The document goes to the session's runtime folder, with the fallback
    // record when nothing was measured; a second send replaces it, leaving no
    // temporary file.
    void documentIsWrittenAndReplaced() {
        TestTools::installFinalCut(m_apps, m_dir.filePath("opened.txt"));
        TranscodeJob *job = convertedJob("A001_C001.R3D", "/Volumes/Out/A001_C001_tarnel.mov");
        FCPXMLGenerator generator(Workspace::shared());

        // No record: the fallback record.
        QVERIFY(!generator.sendToFCP(*job, std::nullopt).has_value());
        const QString path = FCPXMLGenerator::documentPath(*job);
        QCOMPARE(path, TestEnvironment::instance().home() + "/run/tarnel/A001_C001_tarnel.fcpxml");
        QVERIFY(TestTools::readFile(path).contains(
            "duration=\"23023/24000s\" hasVideo=\"1\" format=\"r1\" videoSources=\"1\">"));

        // A second send (1080p25 with sound, rate not measured) replaces it.
        R3DMetadata m;
        m.frameRate = 25;
        m.width = 1920;
        m.height = 1080;
        m.frameCount = 100;
        m.hasAudio = true;
        QVERIFY(!generator.sendToFCP(*job, m));
        QVERIFY(TestTools::readFile(path).split('\n').at(5).endsWith(
            "videoSources=\"1\" hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" "
            "audioRate=\"48000\">"));
        QCOMPARE(QDir(QFileInfo(path).path())
                     .entryList({"*A001_C001_tarnel*"}, QDir::Files | QDir::Hidden)
                     .size(),
                 1);
        TestTools::removeFinalCut(m_apps);
    }

    // An entry whose program is missing: the error names it, the document stays.
    void entryThatCannotStart() {
        TestTools::installFinalCut(m_apps, m_dir.filePath("never.txt"));
        QVERIFY(QFile::remove(m_apps + "/fcp.sh"));
        TranscodeJob *job = convertedJob("C003.R3D", "/o/C003_tarnel.mov");
        const auto error = FCPXMLGenerator(Workspace::shared()).sendToFCP(*job, std::nullopt);
        TestTools::removeFinalCut(m_apps);
        QVERIFY(error.has_value());
        QVERIFY2(error->description.contains("com.apple.FinalCut.desktop"),
                 qPrintable(error->description));
        QVERIFY(QFileInfo::exists(FCPXMLGenerator::documentPath(*job)));
    }

    // Whatever another user plants in the shared temporary folder, the
    // document goes to a folder of this user's own, and no link is followed.
    void documentNeverGoesThroughALink_data() {
        QTest::addColumn<QString>("planted");
        QTest::newRow("link at the old shared name") << "shared link";
        QTest::newRow("link at the document's name") << "own link";
        QTest::newRow("link instead of the folder") << "folder link";
        QTest::newRow("another user's folder") << "foreign";
        QTest::newRow("file instead of the folder") << "file";
    }
    void documentNeverGoesThroughALink() {
        QFETCH(QString, planted);
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        QTemporaryDir victim;
        const QString precious = victim.filePath("precious"),
                      shared = QDir::tempPath() + "/B_tarnel.fcpxml";
        const QString ours = FCPXMLGenerator::documentFolderCandidates().constFirst();
        const auto restore = qScopeGuard([&] {
            QFile::remove(shared);
            QFile::remove(ours);
            QDir(ours).removeRecursively();
            qputenv("XDG_RUNTIME_DIR", runtime);
        });
        TestTools::touch(precious, 7);
        if (planted == "own link" || planted == "foreign")
            QCOMPARE(::mkdir(QFile::encodeName(ours).constData(), 0700), 0);
        if (planted == "foreign" && ::chown(QFile::encodeName(ours).constData(), 65534, 65534))
            QSKIP("changing a folder's owner needs root");
        if (planted.endsWith("link"))
            QVERIFY(QFile::link(planted == "folder link" ? victim.path() : precious,
                                planted == "shared link" ? shared
                                : planted == "own link"  ? ours + "/B_tarnel.fcpxml"
                                                         : ours));
        if (planted == "file")
            TestTools::touch(ours);

        TestTools::installFinalCut(m_apps, m_dir.filePath("opened-link.txt"));
        TranscodeJob *job = convertedJob("B.R3D", "/o/B_tarnel.mov");
        const auto error = FCPXMLGenerator(Workspace::shared()).sendToFCP(*job, std::nullopt);
        TestTools::removeFinalCut(m_apps);
        QVERIFY2(!error, error ? qPrintable(error->debugDescription()) : "");
        const QFileInfo document(FCPXMLGenerator::documentPath(*job));
        QVERIFY(TestTools::readFile(document.filePath()).startsWith("<?xml") &&
                !document.isSymLink());
        QCOMPARE(document.path() == ours, planted == "shared link" || planted == "own link");
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(document.path()).constData(), &st), 0);
        QVERIFY(S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0);
        QCOMPARE(TestTools::readFile(precious), QString(7, QChar(0)));
        QCOMPARE(
            QDir(victim.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"precious"});
    }

    // Our folder is trusted only in a parent no one else can replace it in
    // (ours or root's, sticky if others may write); else, or when the
    // temporary folder is missing, /tmp is used.
    void privateFolderNeedsASafeParent_data() {
        QTest::addColumn<int>("mode"); // -1: no such folder
        QTest::addColumn<bool>("usable");
        QTest::newRow("missing") << -1 << false;
        QTest::newRow("only ours") << 0700 << true;
        QTest::newRow("shared, sticky") << 01777 << true;
        QTest::newRow("shared, not sticky") << 0777 << false;
        QTest::newRow("group may write") << 0770 << false;
    }
    void privateFolderNeedsASafeParent() {
        QFETCH(int, mode);
        QFETCH(bool, usable);
        QTemporaryDir temporary;
        const QString parent = mode < 0 ? QString("/no/such/folder") : temporary.path();
        if (mode >= 0)
            QCOMPARE(::chmod(QFile::encodeName(parent).constData(), mode_t(mode)), 0);
        QCOMPARE(std::holds_alternative<PrivateFolder>(PrivateFolder::open(parent + "/f")), usable);
        QCOMPARE(std::holds_alternative<PrivateFolder>(PrivateFolder::createUnique(parent + "/u-")),
                 usable);
        QCOMPARE(
            candidatesWithTemporaryFolder(parent),
            QStringList{(usable ? parent : "/tmp") + "/tarnel-" + QString::number(::geteuid())});
    }
};

TARNEL_TEST_MAIN(FcpxmlTest)
#include "tst_fcpxml.moc"
