#include "model/TranscodeJob.h"
#include "runner/REDlineRunner.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {

// Sets environment variables for the children of one test, and clears them.
class ScopedEnv {
public:
    explicit ScopedEnv(std::initializer_list<std::pair<const char *, QByteArray>> vars) {
        for (const auto &[name, value] : vars) {
            qputenv(name, value);
            m_names << name;
        }
    }
    ~ScopedEnv() {
        for (const char *n : m_names)
            qunsetenv(n);
    }

private:
    QList<const char *> m_names;
};

// Converts and waits, spinning the event loop so that posted progress
// updates and the result are delivered.
TranscodeResult convert(REDlineRunner &runner, TranscodeJob &job, ProResPreset preset,
                        const QString &outDir, const QString &redline) {
    std::optional<TranscodeResult> result;
    QObject receiver;
    runner.transcode(&job, preset, QUrl::fromLocalFile(outDir + u'/'), redline, &receiver,
                     [&](const TranscodeResult &r) { result = r; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 120'000))
        qFatal("transcode did not finish");
    return *result;
}

ProcessResult runOk(const ProcessRunner &runner, const QString &program, const QStringList &args,
                    const ProcessRunner::OutputHandler &onOutput = {}) {
    auto outcome = runner.run(program, args, onOutput);
    if (!std::holds_alternative<ProcessResult>(outcome))
        qFatal("launch failed: %s", qPrintable(std::get<PlatformError>(outcome).description));
    return std::get<ProcessResult>(outcome);
}

QString sim() {
    return TestTools::redlineSim();
}

QString describe(const TranscodeResult &r) {
    return r.error ? r.error->debugDescription() : QStringLiteral("succeeded");
}

} // namespace

class ProcessTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString makeSource(const QString &name) {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("not really raw");
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFileInfo(sim()).isExecutable(), qPrintable(sim())); }

    void exactArgumentsReachTheChild_data() {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("outName");
        QTest::addColumn<int>("preset");
        QTest::newRow("plain") << "A001_C002_0101AB.R3D"
                               << "out" << int(ProResPreset::proRes422LT);
        QTest::newRow("quotes, shell syntax, line feed, non-ASCII")
            << QString::fromUtf8(
                   "my \"best\" it's $(touch pwned) `id`; rm -rf x | Über\n日本.take2.R3D")
            << QString::fromUtf8("Out $HOME & * Ü") << int(ProResPreset::proRes4444);
    }
    void exactArgumentsReachTheChild() {
        QFETCH(QString, sourceName);
        QFETCH(QString, outName);
        QFETCH(int, preset);
        const QString source = makeSource(sourceName);
        const QString outDir = m_dir.filePath(outName);
        QDir().mkpath(outDir);
        const QString record = m_dir.filePath("args.bin");
        ScopedEnv env{{"REDLINE_SIM_ARGS_FILE", QFile::encodeName(record)},
                      {"REDLINE_SIM_PROGRESS_LINES", "3"}};

        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(source));
        const auto p = ProResPreset(preset);
        const TranscodeResult result = convert(runner, job, p, outDir, sim());
        QVERIFY2(result.succeeded(), qPrintable(describe(result)));

        const QString base = QFileInfo(sourceName).completeBaseName();
        const QStringList expected{
            "--i",          source,     "--o",          base + "_tarnel", "--outDir",
            outDir,         "--format", "201",          "--PRcodec",      ProResPresets::prCodec(p),
            "--useRMD",     "2",        "--primaryDev", "--colorSpace",   "25",
            "--gammaCurve", "34"};
        QCOMPARE(TestTools::recordedArguments(record), expected);
        QCOMPARE(result.outputURL.toLocalFile(), outDir + u'/' + base + "_tarnel.mov");
        QVERIFY(QFileInfo(result.outputURL.toLocalFile()).size() > 1000);
        QVERIFY(!QFileInfo::exists(QDir::currentPath() + "/pwned"));
    }

    void checksBeforeLaunch() {
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("A.R3D")));
        const QString missing = m_dir.filePath("no such REDline");
        auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), missing);
        QCOMPARE(std::get<REDlineError>(r.error->error), REDlineError::executableNotFound(missing));

        r = convert(runner, job, ProResPreset::proRes422, m_dir.filePath("gone"), sim());
        QCOMPARE(std::get<REDlineError>(r.error->error), REDlineError::outputDirectoryMissing());
    }

    // A REDline that exists but cannot be run fails with the system's error.
    void launchFailureIsThePlatformError() {
        const QString path = m_dir.filePath("REDline-not-executable");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\nexit 0\n");
        f.close();
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("A.R3D")));
        const auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), path);
        QVERIFY(!r.succeeded());
        const auto *platform = std::get_if<PlatformError>(&r.error->error);
        QVERIFY(platform);
        QCOMPARE(platform->code, EACCES);
        QVERIFY2(r.error->description().contains(path), qPrintable(r.error->description()));
        QVERIFY(r.error->debugDescription().startsWith("Error Domain=POSIX Code=13 \""));
    }

    void nonZeroExitKeepsTheTail_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("stderrChars");
        QTest::newRow("5000 characters, status 3") << 3 << 5000;
        QTest::newRow("nothing on standard error") << 1 << 0;
        QTest::newRow("more than the tail that is kept") << 5 << 300'000;
    }
    void nonZeroExitKeepsTheTail() {
        QFETCH(int, status);
        QFETCH(int, stderrChars);
        ScopedEnv env{{"REDLINE_SIM_EXIT", QByteArray::number(status)},
                      {"REDLINE_SIM_STDERR_BYTES", QByteArray::number(stderrChars)}};
        QByteArray text;
        for (int i = 0; text.size() < stderrChars; ++i)
            text += "REDline diagnostic line " + QByteArray::number(i) + '\n';
        text.truncate(stderrChars);

        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("A.R3D")));
        const auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), sim());
        const QString tail = QString::fromUtf8(text.right(800));
        QCOMPARE(std::get<REDlineError>(r.error->error),
                 REDlineError::processFailure(status, tail));
        QCOMPARE(r.error->description(),
                 "REDline exited with code " + QString::number(status) + ":\n" + tail);
    }

    void successWithoutMovie() {
        ScopedEnv env{{"REDLINE_SIM_NO_MOVIE", "1"}};
        const QString outDir = m_dir.filePath("empty-out");
        QDir().mkpath(outDir);
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("A.R3D")));
        const auto r = convert(runner, job, ProResPreset::proRes422, outDir, sim());
        QCOMPARE(std::get<REDlineError>(r.error->error), REDlineError::outputFileMissing());
    }

    void invalidUtf8ReadsAsEmptyText() {
        ScopedEnv env{{"REDLINE_SIM_INVALID_UTF8", "1"}, {"REDLINE_SIM_EXIT", "4"}};
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("A.R3D")));
        const auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), sim());
        QCOMPARE(std::get<REDlineError>(r.error->error), REDlineError::processFailure(4, ""));
        QCOMPARE(job.progress(), 0.0); // the invalid chunk was not searched
    }

    // At the time limit the child is asked to stop; one that ignores the
    // request is killed after the grace period.
    void timeLimit_data() {
        QTest::addColumn<bool>("ignoresTerm");
        QTest::addColumn<int>("status");
        QTest::newRow("stops when asked") << false << int(SIGTERM);
        QTest::newRow("ignores the request") << true << int(SIGKILL);
    }
    void timeLimit() {
        QFETCH(bool, ignoresTerm);
        QFETCH(int, status);
        // The shell sets up its signals within milliseconds, long before the
        // time limit; an ignored signal stays ignored across exec.
        const QString script =
            TestTools::script(m_dir.filePath(ignoresTerm ? "stubborn.sh" : "sleeper.sh"),
                              QByteArray(ignoresTerm ? "trap '' TERM\n" : "") + "exec sleep 60\n");
        ProcessRunner runner;
        runner.timeout = std::chrono::milliseconds(1000);
        runner.gracePeriod = std::chrono::milliseconds(300);
        const auto result = runOk(runner, script, {});
        QCOMPARE(result.terminationStatus, status);
    }

    void outputStillInPipesIsCollected() {
        // Megabytes on both pipes, written just before a quick exit.
        const QString script = TestTools::script(
            m_dir.filePath("chatty.sh"),
            "head -c 3000000 /dev/zero | tr '\\0' a\nhead -c 1000000 /dev/zero | tr '\\0' b >&2\n"
            "exit 0\n");
        ProcessRunner runner;
        const auto result = runOk(runner, script, {});
        QCOMPARE(result.terminationStatus, 0);
        QCOMPARE(result.standardOutputText, QString(runner.tailBytes, u'a'));
        QCOMPARE(result.standardErrorText, QString(runner.tailBytes, u'b'));
    }

    // A descendant of its own session keeps the pipes open long after the
    // child has exited: the collection gives up instead of waiting for it.
    void descendantHoldingThePipeDoesNotHang() {
        const QString pidFile = m_dir.filePath("daemon.pid");
        const QString script = TestTools::script(m_dir.filePath("daemon.sh"),
                                                 "echo started\nsetsid sleep 600 &\necho $! > '" +
                                                     pidFile.toUtf8() + "'\nexit 0\n");
        ProcessRunner runner;
        runner.drainLimit = std::chrono::milliseconds(300);
        const auto result = runOk(runner, script, {});
        QFile f(pidFile);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const int daemon = f.readAll().trimmed().toInt();
        QVERIFY(daemon > 0);
        const bool stillRunning = ::kill(daemon, 0) == 0;
        ::kill(daemon, SIGKILL);
        QVERIFY(stillRunning); // returned while the descendant still held the pipes
        QCOMPARE(result.standardOutputText, QString("started\n"));
    }

    void progressReachesTheJobOnTheMainThread() {
        ScopedEnv env{{"REDLINE_SIM_PROGRESS_LINES", "400"}, {"REDLINE_SIM_SPLIT_PROGRESS", "0"}};
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("P.R3D")));
        QList<double> seen;
        bool offMain = false;
        connect(&job, &TranscodeJob::progressChanged, this, [&] {
            offMain |= QThread::currentThread() != qApp->thread();
            seen << job.progress();
        });
        // Progress is posted before the result, so every update has arrived.
        const auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), sim());
        QVERIFY(r.succeeded());
        QVERIFY(!offMain);
        QVERIFY(!seen.isEmpty());
        QVERIFY2(seen.size() <= 110, qPrintable(QString::number(seen.size())));
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] >= 1.0 || seen[i] - seen[i - 1] >= 0.01);
    }

    // REDline runs in a group of its own, and no helper it started outlives
    // it (this one ignores the termination request).
    void helpersEndWithREDline_data() {
        QTest::addColumn<bool>("exitsAtOnce");
        QTest::newRow("exits on its own") << true;
        QTest::newRow("time limit") << false;
    }
    void helpersEndWithREDline() {
        QFETCH(bool, exitsAtOnce);
        const QString record = m_dir.filePath(exitsAtOnce ? "group-exit" : "group-limit");
        ProcessRunner runner;
        runner.timeout = std::chrono::milliseconds(exitsAtOnce ? 3'600'000 : 2'000);
        const auto result = runOk(
            runner, TestTools::redlineWithHelper(m_dir.filePath("helpers.sh"), record, exitsAtOnce),
            {});
        QCOMPARE(result.terminationStatus, exitsAtOnce ? 0 : SIGTERM);
        const qint64 group = TestTools::recordedGroup(record);
        QVERIFY(group > 0 && group != ::getpgrp());
        QTRY_VERIFY_WITH_TIMEOUT(TestTools::runningInGroup(group).isEmpty(), 10'000);
    }

    // Only a tail of each stream is kept; it starts at a character boundary,
    // and a stream with an invalid byte anywhere still reads as empty text.
    void keptTailStaysValidText_data() {
        QTest::addColumn<QByteArray>("printf"); // printf's arguments in the child
        QTest::addColumn<QString>("expected");
        QTest::newRow("two-byte characters, cut inside one")
            << QByteArray("'\\303\\251%.0s' $(seq 5000)") << QString(500, QChar(0xE9));
        QTest::newRow("four-byte characters, cut inside one")
            << QByteArray("'\\360\\237\\230\\200%.0s' $(seq 1000)")
            << QString::fromUtf8("\U0001F600").repeated(250);
        QTest::newRow("invalid byte long before the tail")
            << QByteArray("'\\377'; printf 'a%.0s' $(seq 5000)") << QString();
    }
    void keptTailStaysValidText() {
        QFETCH(QByteArray, printf);
        QFETCH(QString, expected);
        ProcessRunner runner;
        runner.tailBytes = 1001;
        const QString script = TestTools::script(m_dir.filePath("tail.sh"), "printf " + printf);
        QCOMPARE(runOk(runner, script, {}).standardOutputText, expected);
    }

    // A relative REDline path is not found, even when a program of that
    // name sits in the working folder: it is never run.
    void relativePathIsNotFound() {
        const QString marker = m_dir.filePath("ran"), previous = QDir::currentPath();
        QDir().mkpath(m_dir.filePath("cwd"));
        TestTools::script(m_dir.filePath("cwd/REDline"), "touch '" + marker.toUtf8() + "'\n");
        QVERIFY(QDir::setCurrent(m_dir.filePath("cwd")));
        REDlineRunner runner;
        TranscodeJob job(QUrl::fromLocalFile(makeSource("R.R3D")));
        const auto r = convert(runner, job, ProResPreset::proRes422, m_dir.path(), "REDline");
        QDir::setCurrent(previous);
        QCOMPARE(std::get<REDlineError>(r.error->error),
                 REDlineError::executableNotFound("REDline"));
        QVERIFY(!QFileInfo::exists(marker));
    }
};

TARNEL_TEST_MAIN(ProcessTest)
#include "tst_process.moc"
