#include "runner/ProcessRunner.h"
#include "runner/ProgressBox.h"
#include "runner/ProgressParser.h"
#include "support/TestEnvironment.h"

#include <QtTest>

class ProgressTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("chunk");
        QTest::addColumn<double>("expected"); // -1: none
        QTest::newRow("any white space, leading dot") << "frame complete.   7\t.5" << 0.5;
        QTest::newRow("last match wins")
            << "frame complete. 1 0.10\nframe complete. 2 0.11" << 0.11;
        QTest::newRow("capped, not a percentage") << "frame complete. 3 12" << 1.0;
        QTest::newRow("capital F") << "Frame complete. 3 0.5" << -1.0;
        QTest::newRow("frame beats percent") << "frame complete. 4 0.40 (37%)" << 0.40;
        QTest::newRow("only digits before the sign") << "12.5%" << 0.05;
        QTest::newRow("last percent") << "10% ... 20% ... 30%" << 0.30;
        QTest::newRow("frame without numbers") << "frame complete." << -1.0;
        QTest::newRow("broken frame line falls to percent") << "frame complete. x 0.5 44%" << 0.44;
        QTest::newRow("last sign without digits") << "37% of %" << 0.37;
        QTest::newRow("astral digits give none")
            << QString::fromUtf8("5% \U0001D7D1\U0001D7D5%") << -1.0;
        QTest::newRow("earlier frame line when the last is broken")
            << "frame complete. 1 0.3\nframe complete. x" << 0.3;
        QTest::newRow("frame line over several lines") << "frame complete.\n  9\n  0.9" << 0.9;
        QTest::newRow("huge number") << QString(400, u'9') + u'%' << 1.0;
    }
    void parse() {
        QFETCH(QString, chunk);
        QTEST(ProgressParser::parseProgress(chunk).value_or(-1.0), "expected");
    }

    // The gate: the first value (even 0), rises of 0.01 or more, and every 1.0.
    void gate() {
        ProgressBox box;
        QList<double> passed;
        for (double v : {0.0, 0.005, 0.50, 0.505, 0.51, 0.40, 0.995, 1.0, 1.0})
            if (box.offer(v))
                passed << v;
        QCOMPARE(passed, (QList<double>{0.0, 0.50, 0.51, 0.995, 1.0, 1.0}));
    }

    void tailCountsUserPerceivedCharacters() {
        // "é" as e + combining accent, and a family emoji of seven code points.
        const QString e = QString::fromUtf8("e\u0301");
        const QString family = QString::fromUtf8("👨‍👩‍👧‍👦");
        const QString text = QString(500, u'x') + QString(e + family).repeated(400);
        const QString tail = ProcessRunner::lastCharacters(text, 800);
        QCOMPARE(tail.size(), 400 * (e.size() + family.size()));
        QCOMPARE(ProcessRunner::lastCharacters(QStringLiteral("short"), 800), QString("short"));
    }
};

TARNEL_TEST_MAIN(ProgressTest)
#include "tst_progress.moc"
