#include "model/TranscodeJob.h"
#include "runner/REDlineRunner.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

// Sets environment variables for the children until the guard goes.
auto scopedEnv(std::initializer_list<std::pair<const char *, QByteArray>> vars) {
    QList<const char *> names;
    for (const auto &[name, value] : vars)
        qputenv(name, value), names << name;
    return qScopeGuard([names] {
        for (const char *n : names)
            qunsetenv(n);
    });
}

ProcessResult runOk(const ProcessRunner &runner, const QString &program) {
    auto outcome = runner.run(program, {}, {});
    if (!std::holds_alternative<ProcessResult>(outcome))
        qFatal("launch failed: %s", qPrintable(std::get<PlatformError>(outcome).description));
    return std::get<ProcessResult>(outcome);
}

REDlineError failure(const TranscodeResult &r) {
    const auto *e = r.error ? std::get_if<REDlineError>(&r.error->error) : nullptr;
    if (!e)
        qFatal("no REDline error: %s", r.error ? qPrintable(r.error->debugDescription()) : "none");
    return *e;
}

} // namespace

class ProcessTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    TranscodeJob *job(const QString &name = QStringLiteral("A.R3D")) {
        TestTools::touch(m_dir.filePath(name));
        return new TranscodeJob(QUrl::fromLocalFile(m_dir.filePath(name)), this);
    }
    // Converts and waits, spinning the event loop for the posted progress and result.
    TranscodeResult convert(TranscodeJob *job, const QString &outDir,
                            const QString &redline = TestTools::redlineSim(),
                            ProResPreset preset = ProResPreset::proRes422,
                            bool stopAtOnce = false) {
        REDlineRunner runner;
        if (stopAtOnce) // the stop ends REDline with SIGTERM, never SIGKILL
            runner.processRunner.gracePeriod = std::chrono::hours(1);
        std::optional<TranscodeResult> result;
        runner.transcode(job, REDlineRunner::outputName(job->sourcePath()), preset,
                         QUrl::fromLocalFile(outDir + u'/'), redline, this,
                         [&](const TranscodeResult &r) { result = r; });
        if (stopAtOnce)
            runner.stop();
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 120'000))
            qFatal("transcode did not finish");
        return *result;
    }

private Q_SLOTS:
    // REDline gets its arguments byte for byte; progress reaches the job on the main
    // thread through the gate.
    void hostileNamesReachREDlineExactly() {
        const QString name = QString::fromUtf8(
            "my \"best\" it's $(touch pwned) `id`; rm -rf x | Über\n日本.take2.R3D");
        const QString base = name.chopped(4),
                      outDir = m_dir.filePath(QString::fromUtf8("Out $HOME & * Ü"));
        QDir().mkpath(outDir);
        const QString record = m_dir.filePath("args.bin");
        const auto env = scopedEnv({{"REDLINE_SIM_ARGS_FILE", QFile::encodeName(record)},
                                    {"REDLINE_SIM_PROGRESS_LINES", "400"}});
        TranscodeJob *j = job(name);
        QList<double> seen;
        bool offMain = false;
        connect(j, &TranscodeJob::progressChanged, this, [&] {
            offMain |= QThread::currentThread() != qApp->thread();
            seen << j->progress();
        });
        const TranscodeResult result =
            convert(j, outDir, TestTools::redlineSim(), ProResPreset::proRes4444);
        QVERIFY(result.succeeded());
        QCOMPARE(TestTools::recordedArguments(record),
                 (QStringList{"--i", m_dir.filePath(name), "--o", base + "_tarnel", "--outDir",
                              outDir, "--format", "201", "--PRcodec", "4", "--useRMD", "2",
                              "--primaryDev", "--colorSpace", "25", "--gammaCurve", "34"}));
        QCOMPARE(result.outputURL.toLocalFile(), outDir + u'/' + base + "_tarnel.mov");
        QVERIFY(!offMain);
        // Progress is posted before the result, so every update has arrived.
        QVERIFY2(!seen.isEmpty() && seen.size() <= 110, qPrintable(QString::number(seen.size())));
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] >= 1.0 || seen[i] - seen[i - 1] >= 0.01);
    }

    // Progress written a few bytes at a time reaches the job line by line.
    void progressWrittenAFewBytesAtATime() {
        const auto env = scopedEnv({{"REDLINE_SIM_SPLIT_PROGRESS", "1"}});
        TranscodeJob *j = job();
        QList<double> seen;
        connect(j, &TranscodeJob::progressChanged, this, [&] { seen << j->progress(); });
        QVERIFY(convert(j, m_dir.path()).succeeded());
        QList<double> lines; // "frame complete. i i/20" for the lines before the last
        for (int i = 1; i < 20; ++i)
            lines << i / 20.0;
        QCOMPARE(seen.mid(0, lines.size()), lines);
    }

    // A REDline that cannot run fails with the system's error; a relative path is not
    // found (nor run from the working folder); no output folder or no movie fails too.
    void failuresAroundREDline() {
        const QString path = m_dir.filePath("REDline-not-executable");
        TestTools::touch(path);
        const auto r = convert(job(), m_dir.path(), path);
        QCOMPARE(r.error ? r.error->debugDescription() : QString(),
                 u"Error Domain=POSIX Code=13 \"Could not launch \u201C" + path +
                     u"\u201D: Permission denied\"");

        const QString marker = m_dir.filePath("ran"), previous = QDir::currentPath();
        QDir().mkpath(m_dir.filePath("cwd"));
        TestTools::script(m_dir.filePath("cwd/REDline"), "touch '" + marker.toUtf8() + "'\n");
        QVERIFY(QDir::setCurrent(m_dir.filePath("cwd")));
        const auto relative = convert(job(), m_dir.path(), "REDline");
        QDir::setCurrent(previous);
        QCOMPARE(failure(relative), REDlineError::executableNotFound("REDline"));
        QVERIFY(!QFileInfo::exists(marker));

        QCOMPARE(failure(convert(job(), m_dir.filePath("gone"))),
                 REDlineError::outputDirectoryMissing());
        const auto env = scopedEnv({{"REDLINE_SIM_NO_MOVIE", "1"}});
        QDir().mkpath(m_dir.filePath("empty-out"));
        QCOMPARE(failure(convert(job(), m_dir.filePath("empty-out"))),
                 REDlineError::outputFileMissing());
    }

    // A stop right after the hand-over ends REDline with SIGTERM, started yet or not.
    void stopRightAfterTheHandOver() {
        QDir().mkpath(m_dir.filePath("stopped"));
        const auto r =
            convert(job(), m_dir.path(), TestTools::gatedRedline(m_dir.filePath("stopped")),
                    ProResPreset::proRes422, true);
        QCOMPARE(failure(r), REDlineError::processFailure(SIGTERM, QString()));
    }

    // The failure quotes the last 800 characters of a long standard error.
    void nonZeroExitKeepsTheTail() {
        const auto env =
            scopedEnv({{"REDLINE_SIM_EXIT", "5"}, {"REDLINE_SIM_STDERR_BYTES", "300000"}});
        QByteArray text;
        for (int i = 0; text.size() < 300'000; ++i)
            text += "REDline diagnostic line " + QByteArray::number(i) + '\n';
        const QString tail = QString::fromUtf8(text.left(300'000).right(800));
        const REDlineError error = failure(convert(job(), m_dir.path()));
        QCOMPARE(error, REDlineError::processFailure(5, tail));
        QCOMPARE(error.description(), "REDline exited with code 5:\n" + tail);
    }

    // One byte that is not UTF-8 costs one character of the reason, not all of it.
    void invalidUtf8KeepsTheReason() {
        const auto env = scopedEnv({{"REDLINE_SIM_INVALID_UTF8", "1"}, {"REDLINE_SIM_EXIT", "4"}});
        TranscodeJob *j = job();
        QCOMPARE(failure(convert(j, m_dir.path())),
                 REDlineError::processFailure(4, QString::fromUtf8("bad \uFFFD( bytes\n")));
        QCOMPARE(j->progress(), 0.0); // the invalid chunk was not searched
    }

    // REDline runs in its own group: at the time limit (counted from its last output)
    // the group gets SIGTERM, then SIGKILL after the grace period; no helper outlives it.
    void helpersEndWithREDline_data() {
        QTest::addColumn<QByteArray>("ending"); // the end of REDline's script
        QTest::addColumn<int>("status");
        QTest::newRow("stops when asked") << QByteArray("exec sleep 60\n") << int(SIGTERM);
        QTest::newRow("ignores the request")
            << QByteArray("trap '' TERM\nexec sleep 60\n") << int(SIGKILL);
        QTest::newRow("prints past the limit")
            << QByteArray("for i in $(seq 15); do echo \"frame complete. $i 0.5\"; sleep 0.3; "
                          "done\n")
            << 0;
    }
    void helpersEndWithREDline() {
        QFETCH(QByteArray, ending);
        const QString record = m_dir.filePath(QTest::currentDataTag());
        ProcessRunner runner;
        runner.timeout = std::chrono::milliseconds(3000);
        runner.gracePeriod = std::chrono::milliseconds(300);
        const auto result = runOk(
            runner, TestTools::redlineWithHelper(m_dir.filePath("helpers.sh"), record, ending));
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

TARNEL_TEST_MAIN(ProcessTest)
#include "tst_process.moc"
