#include "model/TranscodeJob.h"
#include "platform/DebugLog.h"
#include "platform/Translations.h"
#include "queue/ClipCollector.h"
#include "queue/ClipSearch.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"
#include "support/RecordingSoundPlayer.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>

#include <cstdio>

namespace {

QUrl folderUrl(const QString &path) {
    return QUrl::fromLocalFile(path + u'/');
}

// The warnings as the log words them.
QStringList english(const QList<UserText> &warnings) {
    QStringList out;
    for (const UserText &w : warnings)
        out << w.english();
    return out;
}

QStringList names(const TranscodeQueue &q) {
    QStringList out;
    for (const TranscodeJob *j : q.jobs())
        out << j->sourceURL().fileName();
    return out;
}

// The jobs as "<path relative to root> <size>", in list order.
QStringList jobsBelow(const TranscodeQueue &q, const QString &root) {
    QStringList out;
    for (const TranscodeJob *j : q.jobs())
        out << QDir(root).relativeFilePath(j->sourcePath()) + u' ' +
                   QString::number(j->sourceSizeBytes());
    return out;
}

// Entries: "a/b.R3D 100" a file of 100 bytes, "a/b/" a folder, "a/l -> ../x" a link.
void makeTree(const QString &root, const QStringList &entries) {
    for (const QString &entry : entries) {
        const QString arrow = QStringLiteral(" -> ");
        const bool link = entry.contains(arrow), folder = entry.endsWith(u'/');
        const QString path = root + u'/' +
                             (link     ? entry.section(arrow, 0, 0)
                              : folder ? entry
                                       : entry.section(u' ', 0, -2));
        QDir().mkpath(folder ? path : QFileInfo(path).path());
        if (link)
            QVERIFY(QFile::link(entry.section(arrow, 1), path));
        else if (!folder)
            TestTools::touch(path, entry.section(u' ', -1).toLongLong());
    }
}

} // namespace

class IntakeTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_log;
    // A real store in the throwaway home; intake reads no setting.
    mutable UserSettings m_settings;
    mutable RecordingSoundPlayer m_sounds;
    mutable RecordingWorkspace m_workspace;

    std::unique_ptr<TranscodeQueue> queue() const {
        auto q = std::make_unique<TranscodeQueue>(m_settings, m_sounds, m_workspace);
        q->setLogPath(m_log);
        return q;
    }
    QStringList logLines() const { return TestTools::logLines(m_log); }
    // The queue's running counts must equal a count of the list.
    static void verifyCounts(const TranscodeQueue &q) {
        int queued = 0, finished = 0;
        qint64 bytes = 0, queuedBytes = 0;
        for (const TranscodeJob *j : q.jobs()) {
            const JobStatus s = j->status();
            queued += s == JobStatus::queued;
            finished += s == JobStatus::done || s == JobStatus::sentToFCP || s == JobStatus::failed;
            bytes += j->sourceSizeBytes();
            queuedBytes += s == JobStatus::queued ? j->sourceSizeBytes() : 0;
        }
        QCOMPARE(q.queuedCount(), queued);
        QCOMPARE(q.finishedCount(), finished);
        QCOMPARE(q.totalSourceBytes(), bytes);
        QCOMPARE(q.queuedSourceBytes(), queuedBytes);
    }

private Q_SLOTS:
    // The log keeps its English under a German locale: every log line below
    // is compared with the translation installed.
    void initTestCase() { QVERIFY(Translations::install(QLocale("de_DE"))); }
    void init() {
        m_log = m_dir.filePath(QStringLiteral("log-%1.txt").arg(QTest::currentTestFunction()));
        QFile::remove(m_log);
    }

    // A folder is listed one level deep in name order, hidden and odd names included;
    // a clip folder is entered; a name that is not UTF-8 is skipped and logged.
    void folderIsListedOneLevelDeep() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("C.RDC");
        QDir(dir.path()).mkpath("Odd.R3D");
        QStringList clips{".hidden.R3d", "A.R3D", "b.r3d", "take #1 \"100%\".R3D", "new\nline.R3D"};
        // A leading U+FEFF is part of the name, not a byte-order mark.
        clips << QString::fromUtf8("Über 日本.R3D") << QString(200, u'x') + ".R3D"
              << QChar(0xFEFF) + QString("A.R3D");
        for (const QString &name :
             clips + QStringList{"notes.txt", "clip.R3D.mov", "new\nline.mov", "C.RDC/C_001.R3D"})
            TestTools::touch(dir.filePath(name));
        for (const char *latin1 : {"caf\xe9.R3D", "notes\xff.txt"})
            TestTools::touchRaw(dir.path(), latin1);
        auto q = queue();
        q->addFiles({folderUrl(dir.path())});
        QCOMPARE(
            names(*q),
            QStringList({".hidden.R3d", "A.R3D", "b.r3d", "C_001.R3D", "new\nline.R3D", "Odd.R3D",
                         "take #1 \"100%\".R3D", QString(200, u'x') + ".R3D",
                         QString::fromUtf8("Über 日本.R3D"), QChar(0xFEFF) + QString("A.R3D")}));
        QCOMPARE(logLines(),
                 QStringList({"addFiles: entered 0 card folder(s) (.RDM) and 1 clip folder(s) "
                              "(.RDC)",
                              "addFiles: skipped 1 R3D file(s) whose names are not valid UTF-8 "
                              "(rename them to add them): [\"" +
                                  dir.filePath(QString::fromUtf8("caf\uFFFD.R3D")) + "\"]",
                              "addFiles: found 10 R3D file(s), 10 new"}));
        // Every name comes back to the bytes on disk.
        for (const TranscodeJob *job : q->jobs())
            QVERIFY2(QFileInfo::exists(job->sourcePath()), qPrintable(job->sourcePath()));

        // Without the trailing slash a folder is judged by its name alone; a drop without
        // clips logs what was dropped, escaped, on one line.
        auto q2 = queue();
        q2->addFiles({QUrl::fromLocalFile(dir.filePath("C.RDC")),
                      QUrl::fromLocalFile(dir.filePath("new\nline.mov")),
                      folderUrl(dir.filePath("missing"))});
        QVERIFY(q2->jobs().isEmpty());
        QCOMPARE(logLines().mid(3).join(u'\n'),
                 "addFiles: no R3D files found in dropped URLs: [\"" + dir.filePath("C.RDC") +
                     "\", \"" + dir.path() + "/new\\nline.mov\", \"" + dir.path() + "/missing/\"]");
    }

    // A listed file is not added again, a removed one is (at the end); removing and
    // clearing spare the converting job; a file and its folder in one drop give two jobs.
    void duplicatesRemovalAndCounts() {
        QTemporaryDir dir;
        TestTools::touch(dir.filePath("A.R3D"), 10'000'000'000);
        TestTools::touch(dir.filePath("B.R3D"), 5'000'000'000);
        TestTools::touch(dir.filePath("C.R3D"), 10);
        const auto url = [&](const char *name) { return QUrl::fromLocalFile(dir.filePath(name)); };

        auto q = queue();
        q->addFiles({url("A.R3D"), url("B.R3D"), url("C.R3D")});
        QCOMPARE(q->totalSourceBytes(), qint64(15'000'000'010));
        QVERIFY(q->canStart());
        q->jobs().at(0)->setStatus(JobStatus::failed);
        q->jobs().at(1)->setStatus(JobStatus::sentToFCP);
        TranscodeJob *converting = q->jobs().at(2);
        converting->setStatus(JobStatus::converting);
        QCOMPARE(q->finishedCount(), 2);
        QVERIFY(!q->canStart()); // nothing queued
        verifyCounts(*q);
        q->addFiles({url("A.R3D"), url("B.R3D")});
        QCOMPARE(q->jobs().size(), 3);
        q->remove(converting);
        q->remove(q->jobs().at(0));
        verifyCounts(*q);
        q->addFiles({url("A.R3D")});
        QCOMPARE(names(*q), (QStringList{"B.R3D", "C.R3D", "A.R3D"}));
        q->jobs().last()->setSourceSizeBytes(7);
        q->jobs().at(0)->setStatus(JobStatus::queued);
        verifyCounts(*q);
        q->clearList();
        QCOMPARE(q->jobs(), QList<TranscodeJob *>{converting});
        verifyCounts(*q);

        auto q2 = queue();
        q2->addFiles({url("A.R3D"), folderUrl(dir.path())});
        QCOMPARE(q2->jobs().size(), 4);
        QCOMPARE(logLines(), (QStringList{
                                 "addFiles: found 3 R3D file(s), 3 new",
                                 "addFiles: found 2 R3D file(s), 0 new",
                                 "addFiles: found 1 R3D file(s), 1 new",
                                 "addFiles: found 4 R3D file(s), 4 new",
                             }));
    }

    // Movie names taken follow the jobs' movies as they are set, moved and removed.
    void movieNamesFollowTheJobs() {
        QTemporaryDir dir;
        makeTree(dir.path(), {"x/A.R3D 10", "y/A.R3D 10"});
        auto q = queue();
        q->addFiles({QUrl::fromLocalFile(dir.filePath("x/A.R3D")),
                     QUrl::fromLocalFile(dir.filePath("y/A.R3D"))});
        TranscodeJob *first = q->jobs().at(0);
        TranscodeJob *second = q->jobs().at(1);
        first->setOutputURL(QUrl::fromLocalFile("/out/A_tarnel.mov"));
        QCOMPARE(q->outputName(first, "/out"), QString("A_tarnel"));
        QCOMPARE(q->outputName(second, "/out"), QString("A_2_tarnel"));
        QCOMPARE(q->outputName(second, "/elsewhere"), QString("A_tarnel"));
        first->setOutputURL(QUrl::fromLocalFile("/elsewhere/A_tarnel.mov"));
        QCOMPARE(q->outputName(second, "/out"), QString("A_tarnel"));
        QCOMPARE(q->outputName(second, "/elsewhere"), QString("A_2_tarnel"));
        q->remove(first);
        QCOMPARE(q->outputName(second, "/elsewhere"), QString("A_tarnel"));
    }

    // Drops list names in the folder ("" is the folder). Pieces fold in a clip folder
    // or under RED's clip names; other "_NNN" names are clips of their own.
    void spannedClipsAreOneJob_data() {
        QTest::addColumn<QList<QStringList>>("drops");
        QTest::addColumn<QStringList>("jobs"); // "path size", path relative to the folder
        QTest::addColumn<QStringList>("log");
        const QString clip = "A001_C001_0101XY", first = clip + "_001.R3D";
        const QString folded =
            "addFiles: folded 2 later piece(s) into 1 spanned clip(s): " + first + " (3 pieces)";
        const QString gapG = "spanned clip G_002.R3D lacks G_001.R3D; REDline cannot read it "
                             "whole without every piece";
        const QString gapH = "spanned clip H_001.R3D lacks H_002.R3D, H_003.R3D, H_004.R3D, "
                             "H_005.R3D, H_006.R3D and 2 more; REDline cannot read it whole "
                             "without every piece";
        QTest::newRow("folder")
            << QList<QStringList>{{""}}
            << QStringList{first + " 9500000000", "G.RDC/G_002.R3D 30", "H.RDC/H_001.R3D 7",
                           "S_001.R3D 5",         "shot_001.R3D 7",     "shot_002.R3D 8",
                           "Y_0001.R3D 9",        "Y_0002.R3D 10"}
            << QStringList{"addFiles: entered 0 card folder(s) (.RDM) and 2 clip folder(s) (.RDC)",
                           "addFiles: found 8 R3D file(s), 8 new",
                           "addFiles: folded 4 later piece(s) into 3 spanned clip(s): " + first +
                               " (3 pieces), G_002.R3D (2 pieces), H_001.R3D (2 pieces)",
                           "addFiles: " + gapG, "addFiles: " + gapH};
        QTest::newRow("later piece after its first")
            << QList<QStringList>{{first}, {clip + "_003.r3d"}}
            << QStringList{first + " 9500000000"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new", folded,
                           "addFiles: found 1 R3D file(s), 0 new", folded};
        QTest::newRow("all pieces as files, a later one first")
            << QList<QStringList>{{clip + "_003.r3d", first, clip + "_002.R3D"}}
            << QStringList{first + " 9500000000"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new", folded};
        QTest::newRow("numbered names of a plain folder stay apart")
            << QList<QStringList>{{"shot_002.R3D", "shot_001.R3D", "S_001.R3D"}}
            << QStringList{"shot_002.R3D 8", "shot_001.R3D 7", "S_001.R3D 5"}
            << QStringList{"addFiles: found 3 R3D file(s), 3 new"};
        QTest::newRow("first piece missing")
            << QList<QStringList>{{"G.RDC/G_003.R3D"}} << QStringList{"G.RDC/G_002.R3D 30"}
            << QStringList{"addFiles: found 1 R3D file(s), 1 new",
                           "addFiles: folded 1 later piece(s) into 1 spanned clip(s): "
                           "G_002.R3D (2 pieces)",
                           "addFiles: " + gapG};
    }
    void spannedClipsAreOneJob() {
        QFETCH(QList<QStringList>, drops);
        QTemporaryDir card;
        makeTree(card.path(),
                 {"A001_C001_0101XY_001.R3D 4000000000", "A001_C001_0101XY_002.R3D 4000000000",
                  "A001_C001_0101XY_003.r3d 1500000000", "S_001.R3D 5", "shot_001.R3D 7",
                  "shot_002.R3D 8", "Y_0001.R3D 9", "Y_0002.R3D 10", "G.RDC/G_002.R3D 20",
                  "G.RDC/G_003.R3D 10", "H.RDC/H_001.R3D 3", "H.RDC/H_009.R3D 4"});

        auto q = queue();
        for (const QStringList &drop : drops) {
            QList<QUrl> urls;
            for (const QString &name : drop)
                urls << (name.isEmpty() ? folderUrl(card.path())
                                        : QUrl::fromLocalFile(card.filePath(name)));
            q->addFiles(urls);
        }
        QTEST(jobsBelow(*q, card.path()), "jobs");
        QTEST(logLines(), "log");
    }

    // The warnings shown hold for the list as it is now: a missing piece added or a
    // file renamed clears its warning, a drop without clips is news until the next.
    void warningsFollowTheList() {
        QTemporaryDir card;
        makeTree(card.path(), {"H.RDC/H_001.R3D 3", "H.RDC/H_003.R3D 4", "clip.mov 10"});
        const QByteArray odd = TestTools::touchRaw(card.filePath("odd"));
        auto q = queue();
        QSignalSpy changed(q.get(), &TranscodeQueue::intakeWarningsChanged);
        const auto now = [&q] { return english(q->currentIntakeWarnings()); };
        const QString lacks = "spanned clip H_001.R3D lacks H_002.R3D; REDline cannot read it "
                              "whole without every piece";

        q->addFiles({QUrl::fromLocalFile(card.filePath("H.RDC/H_003.R3D"))});
        QCOMPARE(now(), QStringList{lacks});
        QCOMPARE(q->currentIntakeWarnings().at(0).shown(),
                 "Beim geteilten Clip H_001.R3D fehlen Teile: H_002.R3D; REDline kann ihn nur mit "
                 "allen Teilen vollständig lesen");
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 7);
        q->addFiles({folderUrl(card.filePath("odd"))});
        QVERIFY(now().size() == 2 && now().at(1).startsWith("skipped 1 R3D file(s)"));

        TestTools::touch(card.filePath("H.RDC/H_002.R3D"), 5);
        QCOMPARE(::rename(odd.constData(), QFile::encodeName(card.filePath("odd/cafe.R3D"))), 0);
        q->reviewIntakeWarnings();
        QCOMPARE(now(), QStringList{});
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 7); // until the clip is dropped again
        q->addFiles({folderUrl(card.filePath("H.RDC"))});
        QCOMPARE(q->jobs().at(0)->sourceSizeBytes(), 12);

        q->addFiles({QUrl::fromLocalFile(card.filePath("clip.mov"))});
        QCOMPARE(now(),
                 QStringList{"no R3D files found in [\"" + card.filePath("clip.mov") + "\"]"});
        q->addFiles({folderUrl(card.filePath("odd"))});
        QCOMPARE(now(), QStringList{});

        QVERIFY(QFile::remove(card.filePath("H.RDC/H_002.R3D")));
        q->addFiles({folderUrl(card.filePath("H.RDC"))});
        QCOMPARE(now(), QStringList{lacks});
        q->remove(q->jobs().at(0));
        QCOMPARE(now(), QStringList{});
        QCOMPARE(changed.count(), 7);
    }

    // Card and clip folders are entered up to four levels down, through plain folders
    // but not hidden ones or links; what was not taken is said. ROOT is the tree's root.
    void cardTrees_data() {
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("drop");     // a folder below ROOT
        QTest::addColumn<QStringList>("jobs"); // "path size", path below ROOT
        QTest::addColumn<QString>("entered");  // the log's count, or empty for no such line
        QTest::addColumn<QStringList>("warnings");
        const QString rdm = "A001_0101AB.RDM", c1 = "A001_C001_0101XY", c2 = "A001_C002_0101XY",
                      c10 = "A001_C010_0101XY";
        // A card of three clips; the first spans three pieces, the second two.
        const QStringList clips{c1 + "_001.R3D 100", c1 + "_002.R3D 100", c1 + "_003.R3D 50",
                                c2 + "_002.R3D 2",   c2 + "_001.R3D 20",  c10 + "_001.R3D 10"};
        const auto cardIn = [&](const QString &folder, const QString &reel = "A001") {
            QStringList out;
            for (const QString &clip : clips)
                out << QString(folder + rdm + "/" + clip.left(16) + ".RDC/" + clip)
                           .replace("A001", reel);
            return out;
        };
        const QStringList card = cardIn("");
        const auto jobsIn = [&](const QString &folder, const QString &reel = "A001") {
            return QStringList{card[0].chopped(3) + "250", card[4].chopped(2) + "22", card[5]}
                .replaceInStrings(QRegularExpression("^"), folder)
                .replaceInStrings("A001", reel);
        };
        const QString oneCard = "1 card folder(s) (.RDM) and 3 clip folder(s) (.RDC)";

        QTest::newRow("card folder") << card << rdm << jobsIn("") << oneCard << QStringList{};
        QTest::newRow("clip folder")
            << card << rdm + "/" + c1 + ".RDC" << QStringList{jobsIn("").first()}
            << "0 card folder(s) (.RDM) and 1 clip folder(s) (.RDC)" << QStringList{};
        QTest::newRow("three cards, numbers in order")
            << cardIn("Day/Mag 10/", "A010") + cardIn("Day/Mag 1/") + cardIn("Day/Mag 2/", "A002")
            << "Day"
            << jobsIn("Day/Mag 1/") + jobsIn("Day/Mag 2/", "A002") + jobsIn("Day/Mag 10/", "A010")
            << "3 card folder(s) (.RDM) and 9 clip folder(s) (.RDC)" << QStringList{};
        // The clip folders are four levels below the dropped folder: the bound.
        QTest::newRow("day two plain levels above its card")
            << cardIn("Day 1/Cam A/A001/") + QStringList{"Day 1/notes.R3D.txt 1"} << "Day 1"
            << jobsIn("Day 1/Cam A/A001/") << oneCard << QStringList{};
        QTest::newRow("clips beside folders, in name order")
            << QStringList{"K/K5.R3D 5",          "K/K10.R3D 10",
                           "K/K1.R3D 1",          "K/K2.RDC/K2_001.R3D 2",
                           "K/K3 plain/K3.R3D 3", "K/K4.R3D 4"}
            << "K"
            << QStringList{"K/K1.R3D 1", "K/K2.RDC/K2_001.R3D 2", "K/K4.R3D 4", "K/K5.R3D 5",
                           "K/K10.R3D 10"}
            << "0 card folder(s) (.RDM) and 1 clip folder(s) (.RDC)" << QStringList{};
        QTest::newRow("card root; links and hidden folders are not followed")
            << cardIn("Card/") + QStringList{"Card/" + rdm + "/" + c1 + ".RDC/loop -> ..",
                                             "Card/" + rdm + "/Z.RDC -> ../../Elsewhere/Z.RDC",
                                             "Elsewhere/Z.RDC/Z_001.R3D 1",
                                             "Card/.Trash/B.RDM/B.RDC/B.R3D 1"}
            << "Card" << jobsIn("Card/") << oneCard << QStringList{};
        QTest::newRow("deeper than the bound")
            << QStringList{"Deep/1/2/3/4/A.RDM/A.RDC/A_001.R3D 1", "Deep/1/2/B.RDM/B.RDC/B.R3D 2",
                           "Deep/1/2/3/4/5/C.RDM/C.RDC/C.R3D 3"}
            << "Deep" << QStringList{"Deep/1/2/B.RDM/B.RDC/B.R3D 2"}
            << "1 card folder(s) (.RDM) and 1 clip folder(s) (.RDC)"
            << QStringList{"1 card or clip folder(s) lie more than 4 levels below the dropped "
                           "folder and were not searched (drop a folder nearer to them): "
                           "[\"ROOT/Deep/1/2/3/4/A.RDM\"]"};
        QTest::newRow("empty clip folders and a gap")
            << QStringList{"E.RDM/" + c1 + ".RDC/", "E.RDM/" + c2 + ".RDC/notes.txt 1",
                           "E.RDM/" + c10 + ".RDC/" + c10 + "_001.R3D 1",
                           "E.RDM/" + c10 + ".RDC/" + c10 + "_003.R3D 3"}
            << "E.RDM" << QStringList{"E.RDM/" + c10 + ".RDC/" + c10 + "_001.R3D 4"}
            << "1 card folder(s) (.RDM) and 3 clip folder(s) (.RDC)"
            << QStringList{"2 clip folder(s) hold no R3D file: [\"ROOT/E.RDM/" + c1 +
                               ".RDC\", \"ROOT/E.RDM/" + c2 + ".RDC\"]",
                           "spanned clip " + c10 + "_001.R3D lacks " + c10 +
                               "_002.R3D; REDline cannot read it whole without every piece"};
    }
    void cardTrees() {
        QFETCH(QStringList, tree);
        QFETCH(QString, drop);
        QFETCH(QString, entered);
        QTemporaryDir root;
        makeTree(root.path(), tree);
        auto q = queue();
        QSignalSpy warned(q.get(), &TranscodeQueue::intakeWarnings);
        q->addFiles({folderUrl(root.filePath(drop))});
        QTEST(jobsBelow(*q, root.path()), "jobs");
        const QStringList lines = logLines();
        QCOMPARE(lines.filter("addFiles: entered "),
                 entered.isEmpty() ? QStringList() : QStringList{"addFiles: entered " + entered});
        QStringList warnings = warned.isEmpty()
                                   ? QStringList()
                                   : english(warned.first().first().value<QList<UserText>>());
        QTEST(warnings.replaceInStrings(root.path(), "ROOT"), "warnings");
    }

    // The search stops at its limit on folders, and at once when cancelled.
    void searchLimits() {
        QTemporaryDir root;
        makeTree(root.path(), {"a/", "b/", "c.RDC/c.R3D 1"});
        const std::atomic<bool> cancelled(true);
        const FoundClips limited =
            ClipCollector(ClipCollector::Options{{4, 3}}).collectAll({folderUrl(root.path())});
        QCOMPARE(limited.unfinished, QStringList{root.path()});
        QVERIFY(limited.clips.isEmpty());
        QVERIFY(ClipCollector(ClipCollector::Options{{}, &cancelled})
                    .collectAll({folderUrl(root.path())})
                    .clips.isEmpty());
        QCOMPARE(ClipCollector().collectAll({folderUrl(root.path())}).clips.size(), 1);
    }

    // A background search adds each drop in one step, in order; one still running when
    // the list is cleared or the queue goes away adds nothing. Held at its first listing.
    void backgroundSearch_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("nothing") << "";
        QTest::newRow("list cleared") << "clear";
        QTest::newRow("queue gone") << "delete";
    }
    void backgroundSearch() {
        QFETCH(QString, meanwhile);
        QTemporaryDir root;
        makeTree(root.path(), {"A.RDM/A2.RDC/A2.R3D 2", "A.RDM/A1.RDC/A1.R3D 1", "B/B.R3D 3"});
        auto q = queue();
        // Shared with the search's thread, which a failing test leaves running; its
        // wait is bounded and let go of on every way out.
        const auto held = std::make_shared<QSemaphore>(), entered = std::make_shared<QSemaphore>();
        q->clipSearch()->setBeforeListing([held, entered](const QString &) {
            entered->release();
            held->tryAcquire(1, 60'000);
        });
        const auto letGo = qScopeGuard([held] { held->release(100); });
        QSignalSpy looking(q.get(), &TranscodeQueue::lookingForClipsChanged);
        QSignalSpy changed(q.get(), &TranscodeQueue::jobsChanged);
        q->addFilesInBackground({folderUrl(root.filePath("A.RDM"))});
        q->addFilesInBackground({folderUrl(root.filePath("B"))});
        QVERIFY(q->isLookingForClips());
        QVERIFY2(entered->tryAcquire(1, 60'000), "the search never listed a folder");
        if (meanwhile == "clear")
            q->clearList();
        else if (meanwhile == "delete")
            q.reset();
        held->release(100); // every listing to come
        if (q)
            QTRY_VERIFY(!q->isLookingForClips());
        QVERIFY(QThreadPool::globalInstance()->waitForDone(30'000));
        QCoreApplication::processEvents(); // a hand-over still posted
        QCOMPARE(logLines().filter("addFiles: found").size(), meanwhile.isEmpty() ? 2 : 0);
        if (meanwhile.isEmpty()) {
            QCOMPARE(names(*q), (QStringList{"A1.R3D", "A2.R3D", "B.R3D"}));
            QCOMPARE(changed.size(), 2); // one step per drop
        }
        if (q) // on, then off
            QCOMPARE(looking.size(), 2);
    }

    // The log goes to ~/Desktop, or ~ when there is none; the queue writes there by default.
    void logLocation_data() {
        QTest::addColumn<QString>("folder"); // the log's folder, below the home folder
        QTest::newRow("Desktop folder") << "/Desktop";
        QTest::newRow("no Desktop folder") << "";
    }
    void logLocation() {
        QFETCH(QString, folder);
        QTemporaryDir home;
        QDir().mkpath(home.path() + folder);
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const QString location = DebugLog::defaultLocation(),
                      used = TranscodeQueue(m_settings, m_sounds, m_workspace).logPath();
        qputenv("HOME", savedHome);
        QCOMPARE(location, home.path() + folder + "/Tarnel_debug.txt");
        QCOMPARE(used, location);
    }
};

TARNEL_TEST_MAIN(IntakeTest)
#include "tst_intake.moc"
