#include "model/DebugText.h"
#include "model/FileName.h"
#include "model/ProResPreset.h"
#include "model/TranscodeJob.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class ModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void presetTable_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("label");
        QTest::newRow("proxy") << 0 << "ProRes 422 Proxy"
                               << "3" << 0.13
                               << QString::fromUtf8(
                                      "ProRes 422 Proxy  —  smallest (~13% of source)");
        QTest::newRow("lt") << 1 << "ProRes 422 LT"
                            << "2" << 0.36
                            << QString::fromUtf8("ProRes 422 LT  —  recommended (~35%)");
        QTest::newRow("422") << 2 << "ProRes 422"
                             << "1" << 0.57 << QString::fromUtf8("ProRes 422  —  balanced (~57%)");
        QTest::newRow("hq") << 3 << "ProRes 422 HQ"
                            << "0" << 1.15
                            << QString::fromUtf8("ProRes 422 HQ  —  larger than source");
        QTest::newRow("4444") << 4 << "ProRes 4444"
                              << "4" << 1.45 << QString::fromUtf8("ProRes 4444  —  much larger");
        QTest::newRow("xq") << 5 << "ProRes 4444 XQ"
                            << "5" << 2.1 << QString::fromUtf8("ProRes 4444 XQ  —  largest");
    }
    void presetTable() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, codec);
        QFETCH(double, ratio);
        QFETCH(QString, label);
        QCOMPARE(ProResPresets::allCases().size(), 6);
        const ProResPreset preset = ProResPresets::allCases().at(index);
        QCOMPARE(ProResPresets::rawValue(preset), name);
        QCOMPARE(ProResPresets::prCodec(preset), codec);
        QCOMPARE(ProResPresets::sizeRatio(preset), ratio);
        QCOMPARE(ProResPresets::detailedLabel(preset), label);
        QCOMPARE(ProResPresets::fromRawValue(name), std::optional<ProResPreset>(preset));
    }

    void presetLookupIsExact_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("lower case") << "prores 422 lt";
        QTest::newRow("trailing space") << "ProRes 422 LT ";
        QTest::newRow("leading space") << " ProRes 422";
        QTest::newRow("empty") << "";
    }
    void presetLookupIsExact() {
        QFETCH(QString, text);
        QVERIFY(!ProResPresets::fromRawValue(text).has_value());
    }

    void fileNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("baseName");
        QTest::newRow("plain") << "/card/A001_C002.R3D"
                               << "R3D"
                               << "A001_C002";
        QTest::newRow("two dots") << "/x/clip.take2.R3D"
                                  << "R3D"
                                  << "clip.take2";
        QTest::newRow("no extension") << "/x/R3D"
                                      << ""
                                      << "R3D";
        QTest::newRow("hidden name") << "/x/.R3D"
                                     << ""
                                     << ".R3D";
        QTest::newRow("hidden with extension") << "/x/._A001_tarnel.mov"
                                               << "mov"
                                               << "._A001_tarnel";
        QTest::newRow("folder") << "/x/C.RDC/"
                                << "RDC"
                                << "C";
        QTest::newRow("spaces and quotes") << "/x/my \"best\" take.r3d"
                                           << "r3d"
                                           << "my \"best\" take";
        QTest::newRow("non-ASCII")
            << QString::fromUtf8("/x/Über Café.R3D") << "R3D" << QString::fromUtf8("Über Café");
    }
    void fileNames() {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(QString, baseName);
        QCOMPARE(FileName::pathExtension(path), extension);
        QCOMPARE(FileName::baseName(path), baseName);
    }

    void debugText_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QStringList{"/a/b.mov"} << "[\"/a/b.mov\"]";
        QTest::newRow("two") << QStringList{"/a", "/b c"} << "[\"/a\", \"/b c\"]";
        QTest::newRow("quotes and backslash")
            << QStringList{"/x/it's \"a\"\\b"} << "[\"/x/it\\'s \\\"a\\\"\\\\b\"]";
        QTest::newRow("controls") << QStringList{QString::fromUtf8("a\tb\nc\rd") + QChar(0) + u'e'}
                                  << "[\"a\\tb\\nc\\rd\\0e\"]";
        QTest::newRow("other unprintable")
            << QStringList{QString(QChar(0x7f)) + QChar(0x200B) + QChar(0x2028)}
            << "[\"\\u{7f}\\u{200b}\\u{2028}\"]";
        QTest::newRow("non-ASCII stays") << QStringList{QString::fromUtf8("/Über/日本.mov")}
                                         << QString::fromUtf8("[\"/Über/日本.mov\"]");
        QTest::newRow("empty list") << QStringList{} << "[]";
    }
    void debugText() {
        QFETCH(QStringList, texts);
        QFETCH(QString, expected);
        QCOMPARE(DebugText::quotedList(texts), expected);
    }

    void jobCreation() {
        QTemporaryDir dir;
        const QString path = dir.filePath("A001.R3D");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1234, 'x'));
        file.close();

        TranscodeJob a(QUrl::fromLocalFile(path));
        TranscodeJob b(QUrl::fromLocalFile(path));
        QCOMPARE(a.sourceSizeBytes(), 1234);
        QCOMPARE(a.status(), JobStatus::queued);
        QVERIFY(a.id() != b.id());
        QVERIFY(!a.hasOutputURL());
        QVERIFY(!a.startedAt().isValid());
        QVERIFY(!a.errorMessage().has_value());

        TranscodeJob vanished(QUrl::fromLocalFile(dir.filePath("gone.R3D")));
        QCOMPARE(vanished.sourceSizeBytes(), 0);
        QCOMPARE(vanished.status(), JobStatus::queued);
    }

    // Observers are told before the value is stored, and again after.
    void announcementsPrecedeStores() {
        TranscodeJob job(QUrl::fromLocalFile("/nowhere/a.R3D"));
        QList<QString> seen;
        connect(&job, &TranscodeJob::willChange, this,
                [&] { seen << u"will:" + QString::number(job.progress()); });
        connect(&job, &TranscodeJob::progressChanged, this,
                [&] { seen << u"did:" + QString::number(job.progress()); });
        job.setProgress(0.5);
        QCOMPARE(seen, (QList<QString>{"will:0", "did:0.5"}));

        QSignalSpy will(&job, &TranscodeJob::willChange);
        job.setMetadata(R3DMetadata{});
        QCOMPARE(will.count(), 0);
        QVERIFY(job.metadata().has_value());
        job.setStatus(JobStatus::queued); // same value still announces
        QCOMPARE(will.count(), 1);
    }
};

TARNEL_TEST_MAIN(ModelTest)
#include "tst_model.moc"
