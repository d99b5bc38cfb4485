#include "platform/ProcessRunner.h"
#include "runner/LineJoiner.h"
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

    // Output read a few bytes at a time gives each line's progress as the whole would:
    // cut lines, characters and numbers wait for the next read.
    void readsAFewBytesAtATime_data() {
        QTest::addColumn<int>("piece");
        for (int piece = 1; piece <= 8; ++piece)
            QTest::addRow("%d bytes", piece) << piece;
    }
    void readsAFewBytesAtATime() {
        QFETCH(int, piece);
        const QByteArray output = QString::fromUtf8("frame complete. 1 0.2500\n"
                                                    "R3D SDK: café ✓ 37%\r"
                                                    "frame complete. 2 0.5000\n"
                                                    "frame complete. 3 0.7500\r\n")
                                      .toUtf8();
        LineJoiner lines;
        ProgressBox box;
        QList<double> shown;
        for (qsizetype at = 0; at < output.size(); at += piece) {
            bool valid = false;
            const QString text = lines.feed(output.mid(at, piece), &valid);
            QVERIFY(valid);
            if (const auto p = ProgressParser::parseProgress(text); p && box.offer(*p))
                shown << *p;
        }
        QCOMPARE(shown, (QList<double>{0.25, 0.37, 0.5, 0.75}));
    }

    // An endless line is kept up to a bound, and a line ending after it is still found.
    void unfinishedLineIsBounded() {
        LineJoiner lines;
        const QByteArray e = QString::fromUtf8("é").toUtf8();
        const QByteArray endless = e.repeated(5000);
        bool valid = false;
        for (qsizetype at = 0; at < endless.size(); at += 7) {
            const QString text = lines.feed(endless.mid(at, 7), &valid);
            QVERIFY(valid);
            QVERIFY(text.toUtf8().size() <= LineJoiner::maxTail + 7);
        }
        const QString text = lines.feed("frame complete. 5 0.6\n", &valid);
        QVERIFY(valid);
        QCOMPARE(ProgressParser::parseProgress(text).value_or(-1), 0.6);
        // Bytes that are not UTF-8 are not searched, until a line break.
        QVERIFY(lines.feed("\xff 40%", &valid).isEmpty() && !valid);
        QVERIFY(lines.feed("\n50%", &valid).isEmpty() && !valid);
        QCOMPARE(lines.feed("\n", &valid), QString("50%\n"));
        QVERIFY(valid);
    }

    // The kept tail counts user-perceived characters (e + accent, a 7-code-point emoji).
    void tailCountsUserPerceivedCharacters() {
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
