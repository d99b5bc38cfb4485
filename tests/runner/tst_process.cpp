#include "model/TranscodeJob.h"
#include "runner/REDlineRunner.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <cmath>
#include <csignal>

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
    QList<double> m_progress; // as handed on, in order
    bool m_progressOffMain = false;

    // Converts and waits, spinning the event loop for the posted progress and result.
    TranscodeResult convert(TranscodeJob *job, const QString &outDir,
                            const QString &redline = TestTools::redlineSim(),
                            ProResPreset preset = ProResPreset::proRes422,
                            bool stopAtOnce = false) {
        REDlineRunner runner;
        if (stopAtOnce) // the stop ends REDline with SIGTERM, never SIGKILL
            runner.processRunner.gracePeriod = std::chrono::hours(1);
        std::optional<TranscodeResult> result;
        m_progress.clear();
        runner.transcode(
            {job->sourcePath(), REDlineRunner::outputName(job->sourcePath()), preset, outDir,
             redline, std::nullopt},
            this,
            [&](double value) {
                m_progressOffMain |= QThread::currentThread() != qApp->thread();
                m_progress << value;
            },
            [&](const TranscodeResult &r) { result = r; });
        if (stopAtOnce)
            runner.stop();
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 120'000))
            qFatal("transcode did not finish");
        return *result;
    }

private Q_SLOTS:
    // REDline gets its arguments byte for byte; progress reaches the main thread
    // through the gate.
    void hostileNamesReachREDlineExactly() {
        const QString name = QString::fromUtf8(
            "my \"best\" it's $(touch pwned) `id`; rm -rf x | Über\n日本.take2.R3D");
        const QString base = name.chopped(4),
                      outDir = m_dir.filePath(QString::fromUtf8("Out $HOME & * Ü"));
        QDir().mkpath(outDir);
        const QString record = m_dir.filePath("args.bin");
        const auto env = scopedEnv({{"REDLINE_SIM_ARGS_FILE", QFile::encodeName(record)},
                                    {"REDLINE_SIM_PROGRESS_LINES", "400"}});
        const TranscodeResult result =
            convert(job(name), outDir, TestTools::redlineSim(), ProResPreset::proRes4444);
        QVERIFY(result.succeeded());
        QCOMPARE(TestTools::recordedArguments(record),
                 (QStringList{"--i", m_dir.filePath(name), "--o", base + "_tarnel", "--outDir",
                              outDir, "--format", "201", "--PRcodec", "4", "--useRMD", "2",
                              "--primaryDev", "--colorSpace", "25", "--gammaCurve", "34"}));
        QCOMPARE(result.outputURL.toLocalFile(), outDir + u'/' + base + "_tarnel.mov");
        QVERIFY(!m_progressOffMain);
        // Progress is posted before the result, so every update has arrived.
        const QList<double> &seen = m_progress;
        QVERIFY2(!seen.isEmpty() && seen.size() <= 110, qPrintable(QString::number(seen.size())));
        for (int i = 1; i < seen.size(); ++i)
            QVERIFY(seen[i] >= 1.0 || seen[i] - seen[i - 1] >= 0.01);
    }

    // Progress lines written a few bytes at a time are joined before they are
    // read: every value handed on is one whole line's ("frame complete. i i/20"),
    // never falling, ending with the last. Lines that arrive together in one read
    // give only the last of them, so how many are seen depends on the reads.
    void progressWrittenAFewBytesAtATime() {
        const auto env = scopedEnv({{"REDLINE_SIM_SPLIT_PROGRESS", "1"}});
        QVERIFY(convert(job(), m_dir.path()).succeeded());
        // Line 19 is read while REDline waits for its encoder, before the last.
        QVERIFY2(m_progress.contains(0.95) && m_progress.last() == 1.0,
                 qPrintable(QString::number(m_progress.size())));
        for (qsizetype i = 0; i < m_progress.size(); ++i) {
            const double lines = m_progress[i] * 20;
            QCOMPARE(lines, std::round(lines));
            QVERIFY(i == 0 || m_progress[i] >= m_progress[i - 1]);
        }
    }

    // A REDline that cannot run fails with the system's error; a relative path is not
    // found (nor run from the working folder); no output folder or no movie fails too.
    // A stop right after the hand-over ends REDline with SIGTERM, started yet or not.
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

        QDir().mkpath(m_dir.filePath("stopped"));
        QCOMPARE(
            failure(convert(job(), m_dir.path(), TestTools::gatedRedline(m_dir.filePath("stopped")),
                            ProResPreset::proRes422, true)),
            REDlineError::processFailure(SIGTERM, QString()));
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
        QCOMPARE(failure(convert(job(), m_dir.path())),
                 REDlineError::processFailure(4, QString::fromUtf8("bad \uFFFD( bytes\n")));
        QVERIFY(m_progress.isEmpty()); // the invalid chunk was not searched
    }
};

TARNEL_TEST_MAIN(ProcessTest)
#include "tst_process.moc"
