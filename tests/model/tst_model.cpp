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
    // The facts other parts depend on and that are easy to get wrong: the
    // order, the codec digits that do not follow it, LT's ratio, the label form.
    void presets() {
        const auto &all = ProResPresets::allCases();
        QCOMPARE(all.size(), 6);
        QCOMPARE(all.first(), ProResPreset::proRes422Proxy);
        QCOMPARE(all.last(), ProResPreset::proRes4444XQ);
        QStringList codecs;
        for (ProResPreset p : all) {
            codecs << ProResPresets::prCodec(p);
            QCOMPARE(ProResPresets::fromRawValue(ProResPresets::rawValue(p)), std::optional(p));
        }
        QCOMPARE(codecs, (QStringList{"3", "2", "1", "0", "4", "5"}));
        QCOMPARE(ProResPresets::sizeRatio(ProResPreset::proRes422LT), 0.36);
        QCOMPARE(ProResPresets::detailedLabel(ProResPreset::proRes422LT),
                 QString::fromUtf8("ProRes 422 LT  —  recommended (~35%)"));
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

    // The exact escapes (the fuzzer checks that any list reads back).
    void debugText() {
        QCOMPARE(
            DebugText::quotedList({"/a", QString::fromUtf8("/it's \"Ü\"\\\t\n\r") + QChar(0) +
                                             QChar(0x7f) + QChar(0x2028)}),
            QString::fromUtf8("[\"/a\", \"/it\\'s \\\"Ü\\\"\\\\\\t\\n\\r\\0\\u{7f}\\u{2028}\"]"));
        QCOMPARE(DebugText::quotedList({}), QString("[]"));
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
        connect(&job, &TranscodeJob::changed, this, [&] { seen << "changed"; });
        job.setProgress(0.5);
        QCOMPARE(seen, (QList<QString>{"will:0", "did:0.5", "changed"}));

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
