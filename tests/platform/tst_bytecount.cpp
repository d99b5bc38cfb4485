#include "platform/ByteCountFormatter.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class ByteCountTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "Zero KB";
        QTest::newRow("one byte") << qint64(1) << "1 byte";
        QTest::newRow("KB rounds half up") << qint64(1500) << "2 KB";
        QTest::newRow("rolls into MB") << qint64(999'600) << "1 MB";
        QTest::newRow("GB rounds") << qint64(1'234'567'890) << "1.23 GB";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "9.22 EB";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-9.22 EB";
    }
    void fileSize() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(ByteCountFormatter::fileSize(bytes), text);
    }
};

TARNEL_TEST_MAIN(ByteCountTest)
#include "tst_bytecount.moc"
