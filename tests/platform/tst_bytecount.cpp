#include "platform/ByteCountFormatter.h"
#include "platform/Translations.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class ByteCountTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() {
        Translations::remove();
        QLocale::setDefault(QLocale::c());
    }

    // Shown in the user's language and number format; the log always reads
    // the English text with a decimal dot.
    void fileSize_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("logged");
        const auto row = [](const char *tag, qint64 bytes, const char *shown, const char *logged,
                            const char *locale = "C") {
            QTest::newRow(tag) << bytes << QString(locale) << QString(shown) << QString(logged);
        };
        row("zero", 0, "Zero KB", "Zero KB");
        row("one byte", 1, "1 byte", "1 byte");
        row("KB rounds half up", 1500, "2 KB", "2 KB");
        row("rolls into MB", 999'600, "1 MB", "1 MB");
        row("largest", std::numeric_limits<qint64>::max(), "9.22 EB", "9.22 EB");
        row("most negative", std::numeric_limits<qint64>::min(), "-9.22 EB", "-9.22 EB");
        row("German zero", 0, "Null KB", "Zero KB", "de_DE");
        row("German bytes", 999, "999 Bytes", "999 bytes", "de_DE");
        row("German MB", 358'400'000, "358,4 MB", "358.4 MB", "de_DE");
    }
    void fileSize() {
        QFETCH(qint64, bytes);
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(Translations::install(QLocale(locale)), locale == "de_DE");
        QTEST(ByteCountFormatter::fileSize(bytes), "shown");
        QTEST(ByteCountFormatter::logText(bytes), "logged");
    }
};

TARNEL_TEST_MAIN(ByteCountTest)
#include "tst_bytecount.moc"
