#include "model/TranscodeJob.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Translations.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"
#include "runner/OutputClaim.h"
#include "settings/UserSettings.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

namespace {

QStringList diagnostics(const QString &file, const QString &outDir, const QString &redline,
                        bool redlineExists) {
    return {"processNext: starting " + file,
            "  output dir  = " + outDir,
            "  redline     = " + redline,
            QString("  redline exists = ") + (redlineExists ? "true" : "false"),
            "  output exists  = true",
            "  preset      = ProRes 422 LT",
            "  PRcodec flag= 2",
            "step 1: launching REDline transcode..."};
}

} // namespace

class RunTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<TranscodeQueue> m_queue;
    RecordingSoundPlayer m_sounds;
    QString m_out, m_log, m_apps;

    QUrl source(const QString &name) {
        const QString path = m_dir->filePath("card/" + name);
        TestTools::touch(path, 2000);
        return QUrl::fromLocalFile(path);
    }
    bool waitForRunEnd() {
        return QTest::qWaitFor([&] { return !m_queue->isConverting(); }, 120'000);
    }
    // Adds the files, starts the run and waits for its end.
    bool run(const QList<QUrl> &files = {}) {
        if (!files.isEmpty())
            m_queue->addFiles(files);
        m_queue->start();
        return waitForRunEnd();
    }
    QStringList logLines() const { return TestTools::logLines(m_log); }

private Q_SLOTS:
    // Under a German locale the log and the jobs' messages keep their English.
    void initTestCase() { QVERIFY(Translations::install(QLocale("de_DE"))); }
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_dir->filePath("card"));
        m_out = m_dir->filePath("Out Folder");
        m_log = m_dir->filePath("Tarnel_debug.txt");
        m_apps = m_dir->filePath("xdg-data");
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_apps));
        TestEnvironment::instance().clearSettings();
        m_settings = std::make_unique<UserSettings>();
        m_settings->setRedlinePath(TestTools::redlineSim());
        m_settings->setOutputDirectory(QUrl::fromLocalFile(m_out + "/"));
        m_queue = std::make_unique<TranscodeQueue>(*m_settings, m_sounds, Workspace::shared());
        m_queue->setLogPath(m_log);
        m_sounds.played.clear();
    }
    void cleanup() {
        m_queue.reset();
        m_settings.reset();
    }

    // A name another running conversion claims is passed over; a claim whose
    // owner is gone is reported (naming the movie it left) and removed. A
    // name holding a line feed stays on its log line.
    void claimsDecideTheName() {
        auto held = OutputClaim::take(m_out, "A_tarnel"); // this process stands in
        QVERIFY(std::holds_alternative<OutputClaim>(held));
        OutputClaim::Owner gone = OutputClaim::Owner::self();
        gone.pid = TestTools::endedProcessId();
        QFile stale(m_out + "/.B_tarnel.tarnel-claim");
        QVERIFY(stale.open(QIODevice::WriteOnly) && stale.write(gone.toText()) > 0);
        stale.close();
        TestTools::touch(m_out + "/B_tarnel.mov", 10); // the half movie it left

        QSignalSpy warnings(m_queue.get(), &TranscodeQueue::runWarnings);
        QVERIFY(run({source("A.R3D"), source("new\nline.R3D")}));
        QCOMPARE(m_queue->jobs().at(0)->outputURL().toLocalFile(), m_out + "/A_2_tarnel.mov");
        QCOMPARE(m_queue->jobs().at(1)->outputURL().toLocalFile(), m_out + "/new\nline_tarnel.mov");
        QCOMPARE(m_queue->jobs().at(1)->status(), JobStatus::done);

        QCOMPARE(warnings.size(), 1);
        const auto said = warnings.first().first().value<QList<UserText>>();
        QCOMPARE(said.size(), 1);
        QCOMPARE(said.first().english(), "a conversion that never finished left " + m_out +
                                             "/B_tarnel.mov (" + gone.describe() +
                                             "); it may be incomplete");
        QVERIFY2(said.first().shown().contains(", Prozess " + QString::number(gone.pid) + " auf "),
                 qPrintable(said.first().shown()));
        // Only the claim this test holds is left.
        QCOMPARE(QDir(m_out).entryList({".*claim*"}, QDir::Hidden | QDir::Files),
                 QStringList{".A_tarnel.tarnel-claim"});

        const QStringList log = logLines();
        QVERIFY(log.contains("warning: " + said.first().english()));
        QVERIFY(std::any_of(log.cbegin(), log.cend(), [](const QString &line) {
            return line.startsWith("  output name = A_2_tarnel (being written by another "
                                   "conversion: A_tarnel (");
        }));
        QVERIFY(log.contains("processNext: starting new\\nline.R3D"));
        for (const QString &line : TestTools::readFile(m_log).split('\n', Qt::SkipEmptyParts))
            QVERIFY2(line.startsWith('['), qPrintable(line));
    }

    void twoJobsWithoutREDline() {
        const QString missing = m_dir->filePath("Applications/REDline");
        m_settings->setRedlinePath(missing);
        QVERIFY(run({source("A.R3D"), source("B.R3D")}));

        const QString description =
            "REDline not found at:\n" + missing + "\n\nPlease install REDCINE-X Professional.";
        for (const TranscodeJob *job : m_queue->jobs()) {
            QCOMPARE(job->status(), JobStatus::failed);
            QCOMPARE(job->errorMessage().value_or(""), description);
            QVERIFY(!job->finishedAt().isValid());
            QVERIFY(!job->hasOutputURL());
        }
        QStringList expected{"addFiles: found 2 R3D file(s), 2 new",
                             "start: beginning queue of 2 file(s)"};
        for (const QString name : {"A.R3D", "B.R3D"}) {
            expected += diagnostics(name, m_out, missing, false);
            expected += {"FAILED: executableNotFound(\"" + missing + "\")",
                         "FAILED description: REDline not found at:\\n" + missing +
                             "\\n\\nPlease install REDCINE-X Professional."};
        }
        expected += {"processNext: no queued jobs",
                     QString::fromUtf8("queue finished — 2 file(s), 2 failed")};
        QCOMPARE(logLines(), expected); // the multi-line description on one line, escaped
        QCOMPARE(m_sounds.played, QStringList{"Basso"});
    }

    // A spanned clip, added as a later piece among jobs of an earlier run,
    // is converted once, from its first piece (the script notes each run's file).
    void successAmongEarlierJobs() {
        const QString runs = m_dir->filePath("runs.txt");
        const QString redline = TestTools::script(
            m_dir->filePath("redline"), "printf '%s\\n' \"$2\" >> '" + runs.toUtf8() + "'\nexec '" +
                                            TestTools::redlineSim().toUtf8() + "' \"$@\"\n");
        m_settings->setRedlinePath(redline);
        m_queue->addFiles({source("old1.R3D"), source("old2.R3D"), source("old3.R3D")});
        m_queue->jobs()[0]->setStatus(JobStatus::done);
        m_queue->jobs()[1]->setStatus(JobStatus::sentToFCP);
        m_queue->jobs()[2]->setStatus(JobStatus::failed);
        const QString clip = "A001_C001_0101XY";
        source(clip + "_001.R3D");
        source(clip + "_003.R3D");
        m_queue->addFiles({source(clip + "_002.R3D")});
        TranscodeJob *job = m_queue->jobs().last();
        QList<JobStatus> seen;
        connect(job, &TranscodeJob::statusChanged, this, [&] { seen << job->status(); });

        QVERIFY(run());

        const QString movie = m_out + "/" + clip + "_001_tarnel.mov";
        QCOMPARE(seen, (QList<JobStatus>{JobStatus::converting, JobStatus::done}));
        QCOMPARE(TestTools::readFile(runs), m_dir->filePath("card/" + clip + "_001.R3D") + "\n");
        QCOMPARE(QDir(m_out).entryList(QDir::Files), QStringList{clip + "_001_tarnel.mov"});
        QCOMPARE(job->outputURL().toLocalFile(), movie);
        QCOMPARE(job->outputSizeBytes(), QFileInfo(movie).size());
        QCOMPARE(job->progress(), 1.0);
        QVERIFY(job->startedAt().isValid() && job->finishedAt() >= job->startedAt());
        QCOMPARE(job->metadata().value_or(R3DMetadata{}).frameCount, qint64(24)); // as measured

        QStringList expected{"addFiles: found 3 R3D file(s), 3 new",
                             "addFiles: found 1 R3D file(s), 1 new",
                             "addFiles: folded 2 later piece(s) into 1 spanned clip(s): " + clip +
                                 "_001.R3D (3 pieces)",
                             "start: beginning queue of 1 file(s)"};
        expected += diagnostics(clip + "_001.R3D", m_out, redline, true);
        expected += {"step 1 done: output = " + movie,
                     "output size = " + ByteCountFormatter::logText(QFileInfo(movie).size()),
                     "step 2: reading metadata from converted file...",
                     "step 2 done: fps=24 640x360 frames=24",
                     "step 3 skipped: auto-send off (use the Send to Final Cut button)",
                     "processNext: no queued jobs",
                     QString::fromUtf8("queue finished — 4 file(s), 1 failed")};
        QCOMPARE(logLines(), expected);
        QCOMPARE(m_sounds.played, QStringList{"Basso"}); // an earlier run's failure counts
    }

    // Clips of one name from different folders (and one named like a renamed
    // movie) each get their own movie, named alike before and during the run.
    void clipsOfOneNameKeepTheirMovies() {
        QDir().mkpath(m_dir->filePath("card/A"));
        QDir().mkpath(m_dir->filePath("card/B"));
        m_queue->addFiles({source("A/C.R3D"), source("B/C.R3D"), source("B/C_2.R3D")});
        const QStringList names{"C_tarnel", "C_2_tarnel", "C_2_2_tarnel"};
        QStringList planned;
        for (const TranscodeJob *job : m_queue->jobs())
            planned << m_queue->outputName(job, m_out);
        QCOMPARE(planned, names);

        QVERIFY(run());
        QStringList made;
        for (const TranscodeJob *job : m_queue->jobs()) {
            QCOMPARE(job->status(), JobStatus::done);
            made << QFileInfo(job->outputURL().toLocalFile()).completeBaseName();
        }
        QCOMPARE(made, names);
        QCOMPARE(QDir(m_out).entryList(QDir::Files).size(), 3);
        QVERIFY(logLines().contains("  output name = C_2_tarnel (C_tarnel is the movie of another "
                                    "clip of that name in the list)"));
    }

    // Without an output folder the first job fails and the run ends, silently.
    void noOutputFolder() {
        m_settings->setOutputDirectory(QUrl());
        QVERIFY(run({source("A.R3D"), source("B.R3D")}));
        const TranscodeJob *first = m_queue->jobs()[0];
        QCOMPARE(first->status(), JobStatus::failed);
        QCOMPARE(first->errorMessage().value_or(""),
                 QString("No output folder selected. Tap 'Change' to pick one."));
        // Shown in German and in this desktop's words, the log's English kept.
        QCOMPARE(
            first->errorText().value().shown(),
            QString("Kein Ausgabeordner gewählt. Klicken Sie auf „Ändern“, um einen zu wählen."));
        QCOMPARE(first->progress(), 0.0);
        QCOMPARE(m_queue->jobs()[1]->status(), JobStatus::queued);
        QCOMPARE(
            logLines().mid(1),
            (QStringList{"start: beginning queue of 2 file(s)",
                         QString::fromUtf8("processNext: outputDirectoryURL is nil — aborting")}));
        QVERIFY(m_sounds.played.isEmpty());
        QVERIFY(m_queue->canStart());
    }

    // Auto-send hands a converted clip to Final Cut Pro. Without it there the
    // next clip stays converted, says why, keeps the document beside its
    // movie (never over a file there), and counts no failure. A manual send
    // that fails keeps the state; one that works marks the job sent.
    void autoSendThenManualSend() {
        const QString record = m_dir->filePath("opened.txt");
        TestTools::installFinalCut(m_apps, record);
        m_settings->setAutoSendToFCP(true);
        m_settings->setPlayCompletionSound(false);
        QDir().mkpath(m_out);
        TestTools::touch(m_out + "/C1_tarnel.fcpxml", 3); // someone else's file
        m_queue->addFiles({source("Take & Retake.R3D"), source("C1.R3D")});
        TranscodeJob *sent = m_queue->jobs()[0], *job = m_queue->jobs()[1];
        connect(sent, &TranscodeJob::statusChanged, this, [&] {
            if (sent->status() == JobStatus::sentToFCP)
                TestTools::removeFinalCut(m_apps);
        });
        QVERIFY(run());
        QCOMPARE(sent->status(), JobStatus::sentToFCP);
        QCOMPARE(m_queue->lastSentToFCPName().value_or(""), QString("Take & Retake"));
        QTRY_COMPARE_WITH_TIMEOUT(TestTools::readFile(record),
                                  FCPXMLGenerator::documentPath(*sent) + "\n", 60000);
        QCOMPARE(job->status(), JobStatus::done);
        QVERIFY(job->handOffFailed() && job->metadata());
        const QString beside = m_out + "/C1_tarnel_2.fcpxml";
        QCOMPARE(job->errorMessage().value_or(""),
                 "Final Cut Pro was not found. The document for \u201CC1\u201D was saved to:\n" +
                     beside);
        QCOMPARE(job->errorText().value_or(UserText()).shown(),
                 "Final Cut Pro wurde nicht gefunden. Das Dokument für „C1“ wurde hier "
                 "gesichert:\n" +
                     beside);
        QCOMPARE(QFileInfo(m_out + "/C1_tarnel.fcpxml").size(), 3);
        QCOMPARE(TestTools::readFile(beside),
                 TestTools::readFile(FCPXMLGenerator::documentPath(*job)));
        const QStringList lines = logLines();
        QVERIFY(lines.contains("step 3: sending to FCP (auto-send on)..."));
        QVERIFY(lines.contains("step 3 done: sent Take & Retake to FCP"));
        const qsizetype at = lines.indexOf("step 3: the hand-off did not happen: Final Cut Pro "
                                           "was not found. The document for \u201CC1\u201D was "
                                           "saved to:\\n" +
                                           beside);
        QVERIFY(at > 0);
        QCOMPARE(lines.last(), QString::fromUtf8("queue finished — 2 file(s), 0 failed"));
        QVERIFY(m_sounds.played.isEmpty()); // sound switched off

        // A manual send that fails keeps the state and records the reason.
        QFile::remove(FCPXMLGenerator::documentPath(*job));
        QDir().mkpath(FCPXMLGenerator::documentPath(*job)); // the document cannot be written
        m_queue->manualSend(job);
        QDir(FCPXMLGenerator::documentPath(*job)).removeRecursively();
        QVERIFY(job->status() == JobStatus::done && job->handOffFailed());
        QVERIFY(job->errorMessage().value_or("").contains("could not be saved"));
        QVERIFY(logLines().last().startsWith("manual send FAILED: The Final Cut Pro document"));

        // Now Final Cut Pro is there: the manual send works and the old message stays.
        const QString failedMessage = job->errorMessage().value_or("");
        TestTools::installFinalCut(m_apps, m_dir->filePath("opened2.txt"));
        m_queue->manualSend(job);
        TestTools::removeFinalCut(m_apps);
        QCOMPARE(job->status(), JobStatus::sentToFCP);
        QVERIFY(!job->handOffFailed());
        QCOMPARE(job->errorMessage().value_or(""), failedMessage);
        QCOMPARE(logLines().last(), QString("manual send: C1 -> FCP"));
    }

    // Start pressed twice makes one run. While the first file converts,
    // clearing keeps it and drops the queued ones, and a file added joins the
    // run. A job removed while its movie is measured does not stall the run.
    void listChangesDuringTheRun() {
        m_settings->setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        m_queue->addFiles({source("A.R3D"), source("B.R3D"), source("C.R3D")});
        TranscodeJob *first = m_queue->jobs().constFirst();
        connect(first, &TranscodeJob::statusChanged, this, [&] {
            if (first->status() == JobStatus::done) // measuring comes next
                m_queue->remove(first);
        });
        m_queue->start();
        m_queue->start();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir->filePath("started")), 30'000);
        m_queue->clearList();
        QCOMPARE(m_queue->jobs(), QList<TranscodeJob *>{first});
        m_queue->addFiles({source("D.R3D")});
        TestTools::touch(m_dir->filePath("go"));
        QVERIFY(waitForRunEnd());
        const QStringList lines = logLines();
        QCOMPARE(lines.filter("start: beginning queue").size(), 1);
        QCOMPARE(lines.filter("processNext: starting "),
                 (QStringList{"processNext: starting A.R3D", "processNext: starting D.R3D"}));
        QVERIFY(lines.contains("step 3 skipped: the job was removed from the list"));
        QCOMPARE(m_queue->jobs().size(), 1);
        QCOMPARE(m_queue->jobs()[0]->status(), JobStatus::done);
        QCOMPARE(lines.last(), QString::fromUtf8("queue finished — 1 file(s), 0 failed"));
        QCOMPARE(m_sounds.played, QStringList{"Glass"});
    }

    // Stopping a run (Ctrl-C) fails the converting job with REDline's status
    // and leaves the rest queued, without a sound. REDline is never let go.
    void abandoningTheRun() {
        m_settings->setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        m_queue->addFiles({source("A.R3D"), source("B.R3D")});
        m_queue->start();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir->filePath("started")), 30'000);
        m_queue->abandonRun();
        QVERIFY(waitForRunEnd());
        QCOMPARE(m_queue->jobs()[0]->status(), JobStatus::failed);
        QCOMPARE(m_queue->jobs()[1]->status(), JobStatus::queued);
        const QStringList expected{"abandon: stopping REDline, A.R3D left unfinished",
                                   "FAILED: processFailure(15, \"\")",
                                   "FAILED description: REDline exited with code 15:\\n",
                                   "abandon: REDline stopped, run ended"};
        const QStringList lines = logLines();
        QCOMPARE(lines.mid(lines.indexOf(expected.first())), expected);
        QVERIFY(m_sounds.played.isEmpty());
    }
};

TARNEL_TEST_MAIN(RunTest)
#include "tst_run.moc"
