// tarnel-cli as scripts use it: the real binary, run with QProcess against
// the REDline stand-in, in the throwaway home (settings, desktop log, Videos).
#include "runner/MediaProbe.h"
#include "runner/REDlineRunner.h"
#include "support/FakeObject.h"
#include "support/PrivateBus.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

QProcessEnvironment environment(const QStringList &extra) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : extra)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return env;
}

Outcome run(const QString &program, const QStringList &args, const QStringList &env = {},
            const QByteArray &input = {}) {
    QProcess p;
    p.setProcessEnvironment(environment(env));
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(180'000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString cli() {
    return qEnvironmentVariable("TARNEL_CLI");
}

// Stand-in processes of this test still alive (their command line names the test's folder).
int redlinesAlive(const QString &folder) {
    int alive = 0;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile f("/proc/" + pid + "/cmdline");
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(folder.toUtf8()) &&
            QFile::symLinkTarget("/proc/" + pid + "/exe") == TestTools::redlineSim())
            ++alive;
    }
    return alive;
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_card, m_out;
    const TestEnvironment &env = TestEnvironment::instance();

    QString clip(const QString &name) {
        TestTools::touch(m_card + '/' + name, 2000);
        return m_card + '/' + name;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFileInfo(cli()).isExecutable(), "TARNEL_CLI is not set"); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_card = m_dir->filePath("card");
        m_out = m_dir->filePath("Out Folder");
        QDir().mkpath(m_card);
        QDir().mkpath(m_out);
        QFile::remove(env.logFile());
        env.writeSettingsFile("[General]\nredlinePath=" + TestTools::redlineSim().toUtf8() +
                              "\noutputDirectoryPath=" + m_out.toUtf8() + "\n");
    }

    void cleanup() { QDir::setCurrent(env.home()); }

    void exitStatus_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList none;
        QTest::newRow("one fails") << QStringList{"CARD"} << QStringList{"REDLINE_SIM_FAIL_MATCH=B"}
                                   << 1 << "B.R3D: REDline exited with code 3:\nR3D SDK";
        QTest::newRow("no paths") << QStringList{} << none << 2 << "No files or folders given.";
        QTest::newRow("unknown option") << QStringList{"--fast", "CARD"} << none << 2 << "fast";
        QTest::newRow("bad preset") << QStringList{"--preset", "xq", "CARD"} << none << 2 << "xq";
        QTest::newRow("help") << QStringList{"--help"} << none << 0 << "";
        QTest::newRow("no REDline") << QStringList{"--redline", "/nowhere/REDline", "CARD"} << none
                                    << 3 << "REDline not found at: /nowhere/REDline";
        QTest::newRow("no R3D") << QStringList{"CARD/A.R3D.txt"} << none << 3
                                << "no R3D files found";
        QTest::newRow("only a name that is not UTF-8")
            << QStringList{"CARD/latin1"} << none << 3
            << "tarnel-cli: warning: skipped 1 R3D file(s) whose names are not valid UTF-8";
        QTest::newRow("missing path")
            << QStringList{"CARD/gone.R3D"} << none << 3 << "no such file or folder";
        // The system locale's language for people; English for programs.
        const QStringList german{"LC_ALL=de_DE.UTF-8", "LANGUAGE="};
        QTest::newRow("German, only an empty clip folder on a card")
            << QStringList{"CARD/Day"} << german << 3
            << "tarnel-cli: Warnung: 1 Clip-Ordner enthält keine R3D-Datei: "
               "[\"CARD/Day/A001/A001_0101AB.RDM/A001_C001_0101XY.RDC\"]";
        QTest::newRow("German, one fails")
            << QStringList{"CARD"} << german + QStringList{"REDLINE_SIM_FAIL_MATCH=B"} << 1
            << "B.R3D: REDline wurde mit Code 3 beendet:\nR3D SDK";
        QTest::newRow("German, --json") << QStringList{"--json", "CARD/gone.R3D"} << german << 3
                                        << "tarnel-cli: no such file or folder: CARD/gone.R3D";
        QTest::newRow("no output folder")
            << QStringList{"--output", "CARD/A.R3D/x", "CARD"} << none << 3 << "no output folder";
    }
    void exitStatus() {
        QFETCH(QStringList, args);
        QFETCH(QStringList, env);
        QFETCH(QString, says);
        clip("A.R3D");
        clip("B.R3D");
        clip("A.R3D.txt");
        TestTools::touchRaw(m_card + "/latin1");
        QDir().mkpath(m_card + "/Day/A001/A001_0101AB.RDM/A001_C001_0101XY.RDC");
        args.replaceInStrings("CARD", m_card);
        says.replace("CARD", m_card);
        const Outcome o = run(cli(), args, env);
        QTEST(o.status, "status");
        QVERIFY2(o.err.contains(says), qPrintable(o.err));
    }

    void dryRunPastesIntoAShell() {
        const QStringList names{"two  spaces.R3D",      "it's \"quoted\".R3D",
                                "$(touch PWNED).R3D",   "new\nline.R3D",
                                "`back`\\slash*.R3D",   "-v.R3D",
                                "esc\x1b[2Jbell\a.R3D", "tag\U000E0001\u200Fmark.R3D"};
        for (const QString &name : names)
            clip(name);
        const QString calls = m_dir->filePath("calls");
        QDir().mkpath(calls);
        const QString redline = TestTools::script(m_dir->filePath("REDline"),
                                                  "printf '%s\\0' \"$@\" > \"$(mktemp '" +
                                                      calls.toUtf8() + "/call.XXXXXX')\"\n");
        const QString out = m_dir->filePath("it's $HOME");
        const Outcome dry = run(cli(), {"--dry-run", "--preset", "4444xq", "--redline", redline,
                                        "--output", out, m_card});
        QCOMPARE(dry.status, 0);
        QVERIFY(QDir(calls).isEmpty()); // nothing ran
        // Control characters reach the terminal escaped, never as they are.
        QVERIFY2(!dry.out.contains(QChar(0x1b)) && !dry.out.contains(u'\a') &&
                     dry.out.count(u'\n') == names.size(),
                 qPrintable(dry.out));
        QDir::setCurrent(m_dir->path()); // where $(touch PWNED) would leave its file
        // $'…' words (a name holding a line feed) need bash, zsh or ksh.
        const Outcome pasted = run("/bin/bash", {}, {}, dry.out.toUtf8());
        QCOMPARE(pasted.status, 0);
        QVERIFY(!QFile::exists(m_dir->filePath("PWNED")));

        QList<QStringList> expected, got;
        for (const QString &name : names) {
            const QString base = name.chopped(4);
            expected << REDlineRunner::arguments(m_card + '/' + name, base + "_tarnel", out,
                                                 ProResPreset::proRes4444XQ);
        }
        for (const QString &call : QDir(calls).entryList(QDir::Files))
            got << TestTools::recordedArguments(calls + '/' + call);
        std::sort(expected.begin(), expected.end());
        std::sort(got.begin(), got.end());
        QCOMPARE(got, expected);
    }

    // The events of a run with one clip converted and one failed, and the
    // whole run's Final Cut document, which holds the converted clip only.
    void jsonEvents() {
        clip("Good.R3D");
        clip("Bad.R3D");
        const QString document = m_dir->filePath("shoot.fcpxml");
        const Outcome o = run(cli(), {"--json", "--preset", "hq", "--fcpxml", document, m_card},
                              {"REDLINE_SIM_FAIL_MATCH=Bad", "REDLINE_SIM_PROGRESS_LINES=400",
                               "REDLINE_SIM_TIMECODE=10:00:00:00"});
        QCOMPARE(o.status, 1);
        QMap<QString, QList<QJsonObject>> events;
        QStringList order;
        for (const QString &line : o.out.split('\n', Qt::SkipEmptyParts)) {
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError && doc.isObject(), qPrintable(line));
            const QString name = doc.object()["event"].toString();
            events[name] << doc.object();
            if (order.isEmpty() || order.last() != name)
                order << name;
        }
        QCOMPARE(order.first(), "added");
        QCOMPARE(order.last(), "summary");
        QCOMPARE(events["added"].size(), 2);
        QCOMPARE(events["started"].size(), 2);

        QCOMPARE(events["done"].size(), 1);
        const QJsonObject done = events["done"].first();
        const QString movie = m_out + "/Good_tarnel.mov";
        const QJsonObject expected{
            {"file", QString(m_card + "/Good.R3D")},
            {"movie", movie},
            {"movieBytes", QFileInfo(movie).size()},
            {"flavour", "ProRes 422 HQ"},
            {"width", 640},
            {"frames", 24},
            {"rate", "24/1"},
            {"timecode", "10:00:00:00"},
            {"reel", "Good"},
            {"audioTracks", QJsonArray({QJsonObject{{"channels", 1}, {"sampleRate", 48000}}})}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QVERIFY2(done[it.key()] == it.value(),
                     qPrintable(it.key() + " = " + done[it.key()].toVariant().toString()));
        QCOMPARE(events["fcpxml"].size(), 1);
        QCOMPARE(events["fcpxml"].first()["file"].toString(), document);
        QCOMPARE(events["fcpxml"].first()["clips"].toInt(), 1);
        const QString xml = TestTools::readFile(document);
        QVERIFY(xml.count("<asset-clip ") == 1 &&
                xml.contains("name=\"Good\" start=\"86400000/2400s\""));
        const QString problems = TestTools::fcpxmlProblems(xml);
        QVERIFY2(problems.isEmpty(), qPrintable(problems));
        QCOMPARE(events["failed"].size(), 1);
        QVERIFY(events["failed"].first()["error"].toString().startsWith(
            "REDline exited with code 3:\nR3D SDK: decode error"));

        // Progress only for the converting file, each a new whole percent.
        int last = -1;
        for (const QJsonObject &p : events["progress"]) {
            if (p["file"].toString() != done["file"].toString())
                continue;
            QVERIFY(p["percent"].toInt() > last && p["percent"].toInt() <= 100);
            last = p["percent"].toInt();
        }
        QCOMPARE(last, 100);
        const QJsonObject summary = events["summary"].first();
        QCOMPARE(summary["files"].toInt(), 2);
        QCOMPARE(summary["converted"].toInt(), 1);
        QCOMPARE(summary["failed"].toInt(), 1);
    }

    void humanOutput_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("pipe") << false;
        QTest::newRow("terminal") << true;
    }
    void humanOutput() {
        QFETCH(bool, terminal);
        clip("esc\x1b[2Jape.R3D");
        clip("Bad.R3D");
        TestTools::touch(m_card + "/Empty.R3D", 0);
        const QStringList env{"REDLINE_SIM_FAIL_MATCH=Bad"};
        const Outcome o =
            terminal ? run("script", {"-qec", "'" + cli() + "' '" + m_card + "'", "/dev/null"}, env)
                     : run(cli(), {m_card}, env);
        QCOMPARE(o.status, 1);
        const QString all = o.out + o.err;
        QVERIFY2(all.contains("esc?[2Jape.R3D"), qPrintable(all));
        QVERIFY(all.contains("Bad.R3D: REDline exited with code 3:"));
        QVERIFY(all.contains("2 of 3 converted, 1 failed"));
        // An empty source has no saving to show, and no empty brackets either.
        QVERIFY2(all.contains("Empty.R3D") && !all.contains("()"), qPrintable(all));
        QCOMPARE(all.contains('\r'), terminal);
        QCOMPARE(all.contains("\x1b[K"), terminal);
        if (!terminal) {
            static const QRegularExpression control("[\\x00-\\x09\\x0b-\\x1f\\x7f]");
            QVERIFY2(!all.contains(control), qPrintable(all));
        }
    }

    void signalStopsREDline_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("twice");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lastLog");
        QTest::newRow("Ctrl-C") << SIGINT << false << 130 << "abandon: REDline stopped, run ended";
        QTest::newRow("SIGTERM") << SIGTERM << false << 143
                                 << "abandon: REDline stopped, run ended";
        // REDline ignores the request: the second Ctrl-C kills it, and the
        // queue goes away with the run still on (no "run ended").
        QTest::newRow("Ctrl-C twice") << SIGINT << true << 130 << "abandon: REDline stopped";
    }
    void signalStopsREDline() {
        QFETCH(int, signal);
        QFETCH(bool, twice);
        QFETCH(int, status);
        QFETCH(QString, lastLog);
        clip("A.R3D");
        clip("B.R3D");
        const QString started = m_dir->filePath("started");
        QProcess p;
        p.setProcessEnvironment(
            environment({"REDLINE_SIM_SLEEP=120", "REDLINE_SIM_ARGS_FILE=" + started,
                         QString("REDLINE_SIM_IGNORE_TERM=") + (twice ? "1" : "0")}));
        p.start(cli(), {m_card});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(started), 60'000);
        QCOMPARE(redlinesAlive(m_card), 1);
        const auto pid = pid_t(p.processId());
        ::kill(pid, signal);
        if (twice) {
            QByteArray err;
            QTRY_VERIFY2_WITH_TIMEOUT((err += p.readAllStandardError()).contains("again"),
                                      err.constData(), 60'000);
            ::kill(pid, signal);
        }
        QVERIFY(p.waitForFinished(60'000));
        QCOMPARE(p.exitCode(), status);
        QCOMPARE(redlinesAlive(m_card), 0);
        const QStringList log = TestTools::logLines(env.logFile());
        QVERIFY(log.contains("abandon: stopping REDline, A.R3D left unfinished") ||
                log.contains("abandon: stopping REDline, B.R3D left unfinished"));
        QVERIFY2(log.contains(lastLog), qPrintable(log.join('\n')));
        QVERIFY(log.contains(QString("tarnel-cli[%1]: exit status %2").arg(pid).arg(status)));
        QVERIFY(QDir(m_out).isEmpty());
    }

    // As in the window: logind holds off sleep while tarnel-cli converts, and
    // is let go of once the run's last line is written.
    void holdsOffSleep() {
        PrivateBus bus;
        QVERIFY(!bus.address().isEmpty());
        QDBusConnection fake = QDBusConnection::connectToBus(bus.address(), "fake-system");
        FakeObject logind;
        int lock = -1;
        logind.answer = [&](const QDBusMessage &m) { lock = answerInhibit(fake, m); };
        QVERIFY(fake.registerVirtualObject("/org/freedesktop/login1", &logind));
        QVERIFY(fake.registerService("org.freedesktop.login1"));
        clip("A.R3D");
        clip("B.R3D");
        QProcess p;
        p.setProcessEnvironment(environment({"DBUS_SYSTEM_BUS_ADDRESS=" + bus.address()}));
        p.start(cli(), {"--quiet", "--redline", TestTools::gatedRedline(m_dir->path()), m_card});
        const qint64 pid = p.processId();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir->filePath("started")), 60'000);
        const QString held = "inhibit: logind holds off sleep until the run ends";
        QTRY_VERIFY(TestTools::logLines(env.logFile()).contains(held));
        QCOMPARE(logind.calls.size(), 1);
        QVERIFY(lock >= 0 && !lockClosed(lock));
        TestTools::touch(m_dir->filePath("go"));
        QTRY_COMPARE_WITH_TIMEOUT(p.state(), QProcess::NotRunning, 120'000);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(lockClosed(lock));
        const QStringList lines =
            TestTools::logLines(env.logFile())
                .filter(QRegularExpression("^(inhibit|queue finished|tarnel)"));
        QCOMPARE(lines.mid(1), (QStringList{held, "queue finished — 2 file(s), 0 failed",
                                            "inhibit: released, the run ended",
                                            QString("tarnel-cli[%1]: exit status 0").arg(pid)}));
        ::close(lock);
        fake.unregisterService("org.freedesktop.login1");
        fake = QDBusConnection("");
        QDBusConnection::disconnectFromBus("fake-system");
    }

    // Two processes at once (as the README runs them with GNU parallel), one output
    // folder, clips of one name (two copies of a card) and a name that holds another
    // (C001 in A001_C001), REDline writing slowly in pieces while both run: every
    // "done" names a whole, playable movie of its own clip, no two name the same
    // movie, and the shared debug log holds whole lines.
    void twoProcessesClipsOfOneName() {
        const QString redline = TestTools::pairedRedline(m_dir->filePath("REDline"));
        QStringList cards;
        for (const QString card : {"one", "two"}) {
            cards << m_dir->filePath(card);
            QVERIFY(QDir().mkpath(cards.last()));
            TestTools::touch(cards.last() + "/A001_C001.R3D", 2000);
        }
        TestTools::touch(cards.last() + "/C001.R3D", 2000);
        QList<QProcess *> runs;
        for (const QString &card : std::as_const(cards)) {
            runs << new QProcess(this);
            runs.last()->start(cli(), {"--json", "--redline", redline, card});
        }
        QMap<QString, QString> sourceOf; // movie -> source
        for (QProcess *p : std::as_const(runs)) {
            QVERIFY(p->waitForFinished(120'000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
                const QJsonObject event = QJsonDocument::fromJson(line).object();
                if (event.value("event") != "done")
                    continue;
                const QString movie = event.value("movie").toString();
                QVERIFY2(!sourceOf.contains(movie), qPrintable(movie));
                sourceOf.insert(movie, event.value("file").toString());
            }
            delete p;
        }
        QCOMPARE(sourceOf.size(), 3);
        for (auto it = sourceOf.cbegin(); it != sourceOf.cend(); ++it) {
            QVERIFY2(MediaProbe::unreadableReason(it.key()).isEmpty(), qPrintable(it.key()));
            QCOMPARE(TestTools::movieSource(it.key()), it.value());
        }
        // The claims went with the conversions.
        QCOMPARE(
            QDir(m_out).entryList(QDir::Hidden | QDir::Files),
            QStringList({"A001_C001_2_tarnel.mov", "A001_C001_tarnel.mov", "C001_tarnel.mov"}));
        static const QRegularExpression entry(
            "^\\[\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\+0000\\] (\\S.*|  .*)$");
        const QStringList lines =
            TestTools::readFile(env.logFile()).split('\n', Qt::SkipEmptyParts);
        for (const QString &line : lines)
            QVERIFY2(entry.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(lines.filter(QRegularExpression("tarnel-cli\\[\\d+\\]: exit status 0$")).size(),
                 2);
    }

    // A REDline that exits 0 after writing nothing, or half a movie: the
    // clip fails, saying why; an old movie of its name is never taken for
    // it, and the half movie is kept.
    void nothingOrHalfAMovieFails_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing, an old movie there") << "REDLINE_SIM_NO_MOVIE=1"
                                                     << "no output .mov was found";
        QTest::newRow("half a movie") << "REDLINE_SIM_CUT=50"
                                      << "cannot be played";
    }
    void nothingOrHalfAMovieFails() {
        QFETCH(QString, mode);
        QFETCH(QString, says);
        TestTools::touch(m_out + "/A_tarnel.mov", 10); // from a run two days ago, say
        const Outcome o = run(cli(), {clip("A.R3D")}, {mode});
        QCOMPARE(o.status, 1);
        QVERIFY2(o.err.contains(says), qPrintable(o.err));
        QCOMPARE(QFileInfo(m_out + "/A_tarnel.mov").size() > 10, mode.contains("CUT"));
    }

    // Options on the command line hold for that run only: the settings stay byte for
    // byte. --name-like-clip names movies exactly like their clips (the second clip of
    // one name "_2"). Sent to Final Cut Pro, which is not installed here, a clip is
    // converted all the same, and its document waits beside its movie.
    void overridesHoldForTheRunOnly_data() {
        QTest::addColumn<bool>("stored");
        QTest::newRow("stored settings") << true;
        QTest::newRow("empty store") << false;
    }
    void overridesHoldForTheRunOnly() {
        QFETCH(bool, stored);
        if (!stored)
            QFile::remove(env.settingsFile());
        const QString before = TestTools::readFile(env.settingsFile());
        const QString other = m_dir->filePath("other/out"), args = m_dir->filePath("args");
        QDir().mkpath(m_dir->filePath("card2"));
        TestTools::touch(m_dir->filePath("card2/A.R3D"), 2000);
        const Outcome o = run(cli(),
                              {"--preset", "proxy", "--output", other, "--send-to-fcp",
                               "--name-like-clip", "--redline", TestTools::redlineSim(),
                               clip("A.R3D"), m_dir->filePath("card2/A.R3D")},
                              {"REDLINE_SIM_ARGS_FILE=" + args});
        QCOMPARE(o.status, 0);
        QVERIFY2(o.err.contains("A.R3D: Final Cut Pro was not found."), qPrintable(o.err));
        for (const QString name : {"/A", "/A_2"})
            QVERIFY2(QFile::exists(other + name + ".mov") &&
                         o.err.contains(other + name + ".fcpxml"),
                     qPrintable(name));
        QCOMPARE(TestTools::recordedArguments(args).at(9), "3"); // Proxy's codec
        QCOMPARE(QFile::exists(env.settingsFile()), stored);
        QCOMPARE(TestTools::readFile(env.settingsFile()), before);
    }

    // A stored output folder that cannot be used (an unmounted volume, a
    // file, a relative path) stops tarnel-cli with exit status 3, naming it,
    // and leaves the settings byte for byte; --output overrides it.
    void unusableStoredFolder_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("missing") << "/media/unmounted/Out";
        QTest::newRow("a file") << "FILE";
        QTest::newRow("relative") << "Videos/Out";
    }
    void unusableStoredFolder() {
        QFETCH(QString, stored);
        if (stored == "FILE") {
            stored = m_dir->filePath("a file");
            TestTools::touch(stored);
        }
        QVERIFY(QDir(m_dir->path()).mkpath("Videos/Out")); // where the relative path leads
        QDir::setCurrent(m_dir->path());
        const QByteArray settings = "[General]\nredlinePath=" + TestTools::redlineSim().toUtf8() +
                                    "\noutputDirectoryPath=" + stored.toUtf8() + "\n";
        env.writeSettingsFile(settings);
        const Outcome refused = run(cli(), {clip("A.R3D")});
        QCOMPARE(refused.status, 3);
        QVERIFY2(refused.err.contains(stored), qPrintable(refused.err));
        QCOMPARE(TestTools::readFile(env.settingsFile()).toUtf8(), settings);
        QVERIFY(!QFileInfo::exists(env.videos() + "/Tarnel"));

        const Outcome overridden = run(cli(), {"--output", m_out, clip("A.R3D")});
        QCOMPARE(overridden.status, 0);
        QVERIFY(QFile::exists(m_out + "/A_tarnel.mov"));
        QCOMPARE(TestTools::readFile(env.settingsFile()).toUtf8(), settings);
    }
};

TARNEL_TEST_MAIN(CliTest)
#include "tst_cli.moc"
