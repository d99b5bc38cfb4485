#include "platform/ProcessRunner.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <csignal>
#include <thread>
#include <unistd.h>

namespace {

ProcessResult runOk(const ProcessRunner &runner, const QString &program) {
    auto outcome = runner.run(program, {}, {});
    if (!std::holds_alternative<ProcessResult>(outcome))
        qFatal("launch failed: %s", qPrintable(std::get<PlatformError>(outcome).description));
    return std::get<ProcessResult>(outcome);
}

} // namespace

class ProcessRunnerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // The child runs in its own group: at the time limit (counted from its last output),
    // or when a stop is asked for, the group gets SIGTERM, then SIGKILL after the grace
    // period; no helper outlives it.
    void helpersEndWithTheChild_data() {
        QTest::addColumn<QByteArray>("ending"); // the end of the child's script
        QTest::addColumn<bool>("stop");         // asked to stop once it has written "ready"
        QTest::addColumn<int>("status");
        const QByteArray ignore = "trap '' TERM\n";
        QTest::newRow("stops when asked") << QByteArray("exec sleep 60\n") << false << int(SIGTERM);
        QTest::newRow("ignores the request") << ignore + "exec sleep 60\n" << false << int(SIGKILL);
        QTest::newRow("prints past the limit")
            << QByteArray("for i in $(seq 15); do echo \"frame complete. $i 0.5\"; sleep 0.3; "
                          "done\n")
            << false << 0;
        QTest::newRow("stopped, ignores the request")
            << ignore + "touch '" + QFile::encodeName(m_dir.filePath("ready")) +
                   "'\nexec sleep 60\n"
            << true << int(SIGKILL);
    }
    void helpersEndWithTheChild() {
        QFETCH(QByteArray, ending);
        QFETCH(bool, stop);
        const QString record = m_dir.filePath(QTest::currentDataTag());
        ProcessRunner runner;
        runner.timeout = stop ? std::chrono::milliseconds(std::chrono::hours(1))
                              : std::chrono::milliseconds(3000);
        runner.gracePeriod = std::chrono::milliseconds(300);
        std::thread stopper;
        if (stop)
            stopper = std::thread([&] {
                while (!QFile::exists(m_dir.filePath("ready")))
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                runner.requestStop(false);
            });
        const auto result = runOk(
            runner, TestTools::redlineWithHelper(m_dir.filePath("helpers.sh"), record, ending));
        if (stopper.joinable())
            stopper.join();
        QTEST(result.terminationStatus, "status");
        const qint64 group = TestTools::recordedGroup(record);
        QVERIFY(group > 0 && group != ::getpgrp());
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
    }

    // Each stream's kept tail starts at a character boundary; an invalid byte reads U+FFFD.
    void keptTailStaysValidText_data() {
        QTest::addColumn<QByteArray>("body"); // writes one stream, run for both
        QTest::addColumn<QString>("expected");
        QTest::newRow("four-byte characters, cut inside one")
            << QByteArray("printf '\\360\\237\\230\\200%.0s' $(seq 1000)")
            << QString::fromUtf8("\U0001F600").repeated(250);
        QTest::newRow("invalid bytes before and in the tail")
            << QByteArray("printf '\\377'; printf 'a%.0s' $(seq 5000); printf '\\377b'")
            << QString(1001, u'a') + u"\uFFFDb";
    }
    void keptTailStaysValidText() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        ProcessRunner runner;
        runner.tailBytes = 1003; // of 4000 bytes: from one byte into a character
        const auto r = runOk(runner, TestTools::script(m_dir.filePath("tail.sh"),
                                                       "out() { " + body + "; }\nout\nout >&2\n"));
        QCOMPARE(r.standardOutputText, expected);
        QCOMPARE(r.standardErrorText, expected);
    }

    // Output is collected after the child's exit until the pipes close or go quiet: a
    // descendant in its own session that writes late and holds the pipes open neither
    // loses its line nor holds up the run.
    void outputAfterTheExitIsCollectedButNotWaitedFor() {
        const QByteArray pidFile = QFile::encodeName(m_dir.filePath("daemon.pid"));
        const QString script = TestTools::script(
            m_dir.filePath("daemon.sh"),
            "echo started\nsetsid sh -c 'echo $$ > \"$2.part\"; mv \"$2.part\" \"$2\"\n"
            "while kill -0 $1 2>/dev/null; do sleep 0.01; done\necho late; exec sleep 60' sh $$ "
            "'" +
                pidFile + "' &\nuntil [ -e '" + pidFile + "' ]; do sleep 0.01; done\n");
        ProcessRunner runner;
        runner.timeout = std::chrono::seconds(60); // the pid file never comes: fails, not hangs
        runner.drainLimit = std::chrono::milliseconds(3000);
        const auto result = runOk(runner, script);
        const qint64 daemon = TestTools::recordedGroup(QFile::decodeName(pidFile));
        QVERIFY(daemon > 0); // kill(0) would hit this test's own group
        const bool stillRunning = !TestTools::runningInGroup(daemon).isEmpty();
        ::kill(pid_t(daemon), SIGKILL);
        QVERIFY(stillRunning); // returned while the descendant still held the pipes
        QCOMPARE(result.standardOutputText, QString("started\nlate\n"));
    }
};

TARNEL_TEST_MAIN(ProcessRunnerTest)
#include "tst_processrunner.moc"
