#include "model/DebugText.h"
#include "model/FileName.h"
#include "model/ProResPreset.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class ModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The facts other parts depend on and that are easy to get wrong: the
    // codec digits that do not follow the order, the label form, exact lookup.
    void presets() {
        QStringList codecs;
        for (ProResPreset p : ProResPresets::allCases())
            codecs << ProResPresets::prCodec(p);
        QCOMPARE(codecs, (QStringList{"3", "2", "1", "0", "4", "5"}));
        QCOMPARE(ProResPresets::detailedLabel(ProResPreset::proRes422LT),
                 QString::fromUtf8("ProRes 422 LT  —  recommended (~35%)"));
        // A stored name is looked up exactly (another case: tst_settings).
        QVERIFY(!ProResPresets::fromRawValue("ProRes 422 LT "));
    }

    void fileNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("baseName");
        const auto row = [](const char *path, const char *extension, const char *base) {
            QTest::newRow(path) << QString(path) << QString(extension) << QString(base);
        };
        row("/x/clip.take2.R3D", "R3D", "clip.take2");
        row("/x/R3D", "", "R3D");
        row("/x/.R3D", "", ".R3D"); // a hidden name has no extension
        row("/x/C.RDC/", "RDC", "C");
    }
    void fileNames() {
        QFETCH(QString, path);
        QTEST(FileName::pathExtension(path), "extension");
        QTEST(FileName::baseName(path), "baseName");
    }

    // The exact escapes (the fuzzer checks that any list reads back).
    void debugText() {
        QCOMPARE(
            DebugText::quotedList({"/a", QString::fromUtf8("/it's \"Ü\"\\\t\n\r") + QChar(0) +
                                             QChar(0x7f) + QChar(0x2028)}),
            QString::fromUtf8("[\"/a\", \"/it\\'s \\\"Ü\\\"\\\\\\t\\n\\r\\0\\u{7f}\\u{2028}\"]"));
        QCOMPARE(DebugText::quotedList({}), QString("[]"));
    }
};

TARNEL_TEST_MAIN(ModelTest)
#include "tst_model.moc"
