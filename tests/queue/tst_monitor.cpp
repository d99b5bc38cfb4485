#include "platform/DesktopNotifier.h"
#include "platform/LauncherProgress.h"
#include "platform/SleepInhibitor.h"
#include "platform/Workspace.h"
#include "queue/RunMonitor.h"
#include "queue/TranscodeQueue.h"
#include "support/RecordingSoundPlayer.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QDBusAbstractInterface>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// A bus of the test's own: no service on it but the fakes below, none
// started on demand.
struct PrivateBus {
    QProcess daemon;
    QString address;
    explicit PrivateBus(const QString &config) {
        daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address"});
        while (address.isEmpty() && daemon.waitForReadyRead(10'000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus() {
        daemon.terminate();
        daemon.waitForFinished();
    }
};

// A service object that records the calls it gets and answers through a handler.
struct FakeObject : QDBusVirtualObject {
    QList<QDBusMessage> calls;
    std::function<void(const QDBusMessage &, const QDBusConnection &)> answer;
    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &m, const QDBusConnection &c) override {
        calls << m;
        if (answer)
            answer(m, c);
        return true;
    }
    QStringList members() const {
        QStringList out;
        for (const QDBusMessage &m : calls)
            out << m.member() + " " + m.path();
        return out;
    }
};

// Update signals of the task-bar entry, as a dock would receive them.
class LauncherSignals : public QDBusAbstractInterface {
    Q_OBJECT
public:
    LauncherSignals(const QString &sender, const QDBusConnection &bus)
        : QDBusAbstractInterface(sender, LauncherProgress::kObjectPath,
                                 "com.canonical.Unity.LauncherEntry", bus, nullptr) {}
Q_SIGNALS:
    void Update(const QString &uri, const QVariantMap &properties);
};

struct RecordingWorkspace : Workspace {
    QStringList opened;
    std::optional<QString> applicationForIdentifier(const QString &) override { return {}; }
    std::optional<PlatformError> open(const QStringList &, const QString &) override { return {}; }
    void reveal(const QString &) override {}
    void openURL(const QUrl &url) override { opened << url.toLocalFile(); }
};

} // namespace

class MonitorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_systemBus, m_sessionBus;
    QDBusConnection m_system{""}, m_session{""}, m_fakeSystem{""}, m_fakeSession{""};
    FakeObject m_logind, m_portal, m_notifications;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<TranscodeQueue> m_queue;
    RunMonitor *m_monitor = nullptr;
    RecordingSoundPlayer m_sounds;
    RecordingWorkspace m_workspace;
    QList<QVariantMap> m_updates;
    qint64 m_now = 0;
    int m_inhibitRead = -1;
    int m_round = 0;

    QDBusConnection busConnection(const QString &address, const QString &name) {
        return QDBusConnection::connectToBus(address, name + QString::number(m_round));
    }
    void addJobs(const QStringList &names) {
        QList<QUrl> urls;
        for (const QString &name : names) {
            TestTools::touch(m_dir->filePath(name), 4000);
            urls << QUrl::fromLocalFile(m_dir->filePath(name));
        }
        m_queue->addFiles(urls);
    }
    QStringList monitorLines() const {
        QStringList out;
        for (const QString &line : TestTools::logLines(m_queue->logPath())) {
            if (QRegularExpression("^(inhibit|launcher|notify): ").match(line).hasMatch())
                out << line;
        }
        return out;
    }
    bool inhibitorClosed() const {
        pollfd p{m_inhibitRead, POLLIN, 0};
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }
    void answerInhibit(const QDBusMessage &call) {
        int fds[2];
        QVERIFY(::pipe2(fds, O_CLOEXEC) == 0);
        m_inhibitRead = fds[0];
        m_fakeSystem.send(call.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))));
        ::close(fds[1]); // Tarnel's copy is now the only write end
    }
    // The queue with a monitor on the private buses; updates wait an hour.
    void makeQueue(int launcherInterval = 3'600'000) {
        m_queue = std::make_unique<TranscodeQueue>();
        m_queue->setLogPath(m_dir->filePath("Tarnel_debug.txt"));
        m_queue->setSoundPlayer(&m_sounds);
        m_queue->setSettings(m_settings.get());
        QObject::connect(m_queue.get(), &TranscodeQueue::isConvertingChanged, this,
                         [this] { m_now = m_queue->isConverting() ? 0 : 3'723'000; });
        m_monitor = new RunMonitor(
            m_queue.get(), new SleepInhibitor(m_system, m_session), new DesktopNotifier(m_session),
            new LauncherProgress(m_session, launcherInterval), [this] { return m_now; });
        m_monitor->setWorkspace(&m_workspace);
    }

private Q_SLOTS:
    void initTestCase() {
        const QString config = TestEnvironment::instance().home() + "/bus.conf";
        QFile f(config);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<busconfig><type>session</type><listen>unix:tmpdir=" +
                QFile::encodeName(QDir::tempPath()) +
                "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow own=\"*\"/></policy>"
                "</busconfig>");
        f.close();
        m_systemBus = std::make_unique<PrivateBus>(config);
        m_sessionBus = std::make_unique<PrivateBus>(config);
        QVERIFY(!m_systemBus->address.isEmpty() && !m_sessionBus->address.isEmpty());
    }
    void init() {
        ++m_round;
        m_system = busConnection(m_systemBus->address, "tarnel-system");
        m_session = busConnection(m_sessionBus->address, "tarnel-session");
        m_fakeSystem = busConnection(m_systemBus->address, "fake-system");
        m_fakeSession = busConnection(m_sessionBus->address, "fake-session");
        QVERIFY(m_system.isConnected() && m_fakeSession.isConnected());
        for (FakeObject *o : {&m_logind, &m_portal, &m_notifications})
            o->calls.clear();
        QVERIFY(m_fakeSystem.registerVirtualObject("/org/freedesktop/login1", &m_logind));
        QVERIFY(m_fakeSession.registerVirtualObject("/org/freedesktop/portal/desktop", &m_portal,
                                                    QDBusConnection::SubPath));
        QVERIFY(m_fakeSession.registerVirtualObject("/org/freedesktop/Notifications",
                                                    &m_notifications));
        m_logind.answer = [this](const QDBusMessage &m, const QDBusConnection &) {
            answerInhibit(m);
        };
        m_portal.answer = [](const QDBusMessage &m, const QDBusConnection &c) {
            c.send(m.createReply(QVariant::fromValue(
                QDBusObjectPath("/org/freedesktop/portal/desktop/request/1/t"))));
        };
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<UserSettings>();
        m_settings->setRedlinePath(TestTools::redlineSim());
        m_settings->setOutputDirectory(QUrl::fromLocalFile(m_dir->filePath("out") + "/"));
        m_updates.clear();
        m_workspace.opened.clear();
        m_sounds.played.clear();
    }
    void cleanup() {
        m_queue.reset();
        m_system = m_session = m_fakeSystem = m_fakeSession = QDBusConnection("");
        for (const char *name : {"tarnel-system", "tarnel-session", "fake-system", "fake-session"})
            QDBusConnection::disconnectFromBus(QString(name) + QString::number(m_round));
        if (m_inhibitRead >= 0)
            ::close(m_inhibitRead);
        m_inhibitRead = -1;
        qunsetenv("REDLINE_SIM_FAIL_MATCH");
    }

    void estimate_data() {
        QTest::addColumn<QList<qint64>>("bytes");     // files of the run, in order
        QTest::addColumn<QList<qint64>>("durations"); // ms each took; < 0: failed
        QTest::addColumn<double>("progress");         // of the last file, still converting
        QTest::addColumn<qint64>("waiting");
        QTest::addColumn<qint64>("expected"); // -1: no estimate
        QTest::newRow("nothing converted yet")
            << QList<qint64>{1000} << QList<qint64>{} << 0.9 << qint64(5000) << qint64(-1);
        QTest::newRow("a failure teaches nothing")
            << QList<qint64>{1000, 1000} << QList<qint64>{-4000} << 0.5 << qint64(0) << qint64(-1);
        QTest::newRow("rate of the converted file")
            << QList<qint64>{1000, 1000} << QList<qint64>{10'000} << 0.25 << qint64(3000)
            << qint64(37'500);
        QTest::newRow("failures left out of the rate")
            << QList<qint64>{500, 2000, 1000, 800} << QList<qint64>{-7000, 10'000, 20'000} << 0.5
            << qint64(0) << qint64(4000);
        QTest::newRow("two files make the rate")
            << QList<qint64>{2000, 1000, 1000} << QList<qint64>{10'000, 20'000} << 0.0
            << qint64(1000) << qint64(20'000);
        QTest::newRow("empty converted file gives no rate")
            << QList<qint64>{0, 1000} << QList<qint64>{3000} << 0.0 << qint64(1000) << qint64(-1);
    }
    void estimate() {
        QFETCH(QList<qint64>, bytes);
        QFETCH(QList<qint64>, durations);
        QFETCH(double, progress);
        QFETCH(qint64, waiting);
        QFETCH(qint64, expected);
        qint64 now = 1'000'000;
        RunEstimate estimate([&] { return now; });
        estimate.begin();
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            estimate.fileStarted(bytes[i]);
            if (i < durations.size()) {
                now += qAbs(durations[i]);
                estimate.fileFinished(durations[i] >= 0);
            }
        }
        QCOMPARE(estimate.remainingMs(progress, waiting).value_or(-1), expected);
    }

    void durationTexts_data() {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("remaining");
        QTest::newRow("seconds") << qint64(59'499) << "59 s"
                                 << "Less than a minute left";
        QTest::newRow("just under a minute") << qint64(59'500) << "1 min"
                                             << "Less than a minute left";
        QTest::newRow("a minute") << qint64(61'000) << "1 min"
                                  << "About 1 min left";
        QTest::newRow("minutes") << qint64(749'000) << "12 min"
                                 << "About 12 min left";
        QTest::newRow("whole hours") << qint64(7'190'000) << "2 h"
                                     << "About 2 h left";
        QTest::newRow("hours and minutes") << qint64(3'723'000) << "1 h 2 min"
                                           << "About 1 h 2 min left";
    }
    void durationTexts() {
        QFETCH(qint64, ms);
        QFETCH(QString, duration);
        QFETCH(QString, remaining);
        QCOMPARE(RunEstimate::durationText(ms), duration);
        QCOMPARE(RunEstimate::remainingText(ms), remaining);
    }

    void launcherUpdatesAreCoalesced() {
        LauncherSignals dock(m_session.baseService(), m_fakeSession);
        QObject::connect(&dock, &LauncherSignals::Update, this,
                         [this](const QString &, const QVariantMap &p) { m_updates << p; });
        m_fakeSession.interface()->isServiceRegistered("x"); // the match rule is in place
        {
            LauncherProgress launcher(m_session, 0);
            for (int i = 0; i <= 100; ++i) // all within one pass of the event loop
                launcher.show(i / 100.0, 100 - i);
            QTRY_COMPARE(m_updates.size(), 2);
        } // gone: clears what it showed
        QTRY_COMPARE(m_updates.size(), 3);
        QCOMPARE(m_updates[0].value("progress").toDouble(), 0.0);
        QCOMPARE(m_updates[0].value("count").toLongLong(), 100);
        QCOMPARE(m_updates[1].value("progress").toDouble(), 1.0);
        QCOMPARE(m_updates[1].value("count-visible").toBool(), false); // nothing left
        QCOMPARE(m_updates[1].value("progress-visible").toBool(), true);
        QCOMPARE(m_updates[2],
                 (QVariantMap{{"progress-visible", false}, {"count-visible", false}}));
    }

    void sleepHeldForTheRun_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("logindRefuses");
        for (const char *ending : {"converted", "failed", "cleared", "destroyed", "late answer"})
            QTest::newRow(ending) << ending << false;
        for (const char *ending : {"converted", "destroyed"})
            QTest::newRow(QByteArray(QByteArray("portal, ") + ending).constData())
                << ending << true;
    }
    void sleepHeldForTheRun() {
        QFETCH(QString, ending);
        QFETCH(bool, logindRefuses);
        QVERIFY(m_fakeSystem.registerService("org.freedesktop.login1"));
        QVERIFY(m_fakeSession.registerService("org.freedesktop.portal.Desktop"));
        QDBusMessage lateCall;
        if (logindRefuses || ending == "late answer") {
            m_logind.answer = [&](const QDBusMessage &m, const QDBusConnection &c) {
                if (logindRefuses)
                    c.send(m.createErrorReply("org.freedesktop.DBus.Error.AccessDenied", "no"));
                lateCall = m;
            };
        }
        LauncherSignals dock(m_session.baseService(), m_fakeSession);
        QObject::connect(&dock, &LauncherSignals::Update, this,
                         [this](const QString &, const QVariantMap &p) { m_updates << p; });
        m_fakeSession.interface()->isServiceRegistered("x");
        // REDline waits until the test lets it go.
        const QString go = m_dir->filePath("go"), fail = m_dir->filePath("fail");
        m_settings->setRedlinePath(TestTools::script(
            m_dir->filePath("redline"),
            "while [ ! -e '" + go.toUtf8() + "' ]; do sleep 0.05; done\n[ -e '" + fail.toUtf8() +
                "' ] && exit 1\nexec '" + TestTools::redlineSim().toUtf8() + "' \"$@\"\n"));
        makeQueue();
        addJobs({"A.R3D", "B.R3D"});
        m_queue->start();
        QTRY_COMPARE(m_queue->jobs()[0]->status(), JobStatus::converting);

        const QString held = logindRefuses ? "inhibit: the desktop portal holds off sleep until "
                                             "the run ends (logind: "
                                             "org.freedesktop.DBus.Error.AccessDenied)"
                                           : "inhibit: logind holds off sleep until the run ends";
        if (ending == "late answer")
            QTRY_VERIFY(lateCall.type() == QDBusMessage::MethodCallMessage);
        else
            QTRY_VERIFY(monitorLines().contains(held));
        QCOMPARE(m_logind.calls.size(), 1);
        QCOMPARE(m_logind.calls[0].arguments(),
                 (QVariantList{"sleep:idle", "Tarnel", "Converting 2 clips", "block"}));
        if (logindRefuses) {
            QCOMPARE(m_portal.members(), QStringList{"Inhibit /org/freedesktop/portal/desktop"});
            const QVariantList args = m_portal.calls[0].arguments();
            QCOMPARE(args.mid(0, 2), (QVariantList{"", 12u}));
            QCOMPARE(qdbus_cast<QVariantMap>(args[2]),
                     (QVariantMap{{"reason", "Converting 2 clips"}}));
        } else if (ending != "late answer") {
            QVERIFY(!inhibitorClosed());
        }

        if (ending == "failed" || ending == "late answer")
            TestTools::touch(fail);
        if (ending == "cleared")
            m_queue->clearList();
        if (ending == "destroyed")
            m_queue.reset();
        else
            TestTools::touch(go);
        if (m_queue)
            QTRY_VERIFY_WITH_TIMEOUT(!m_queue->isConverting(), 60'000);
        if (ending == "late answer")
            answerInhibit(lateCall); // after the run: closed as soon as it arrives
        if (logindRefuses)
            QTRY_COMPARE(m_portal.members().last(),
                         QString("Close /org/freedesktop/portal/desktop/request/1/t"));
        else
            QTRY_VERIFY(inhibitorClosed());

        // Task bar: the first state at once, the rest coalesced, then cleared.
        QTRY_COMPARE(m_updates.size(), 2);
        QCOMPARE(m_updates[0].value("count").toLongLong(), 2);
        QCOMPARE(m_updates[0].value("progress").toDouble(), 0.0);
        QCOMPARE(m_updates[1],
                 (QVariantMap{{"progress-visible", false}, {"count-visible", false}}));
        if (m_queue) {
            const bool failing = ending == "failed" || ending == "late answer";
            QCOMPARE(m_queue->jobs()[0]->status(), failing ? JobStatus::failed : JobStatus::done);
            QVERIFY(monitorLines().contains(held) == (ending != "late answer"));
        }
    }

    void notification_data() {
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<QStringList>("capabilities"); // empty: no server
        QTest::addColumn<QString>("logged");
        QTest::newRow("window active")
            << true << QStringList{"actions"} << "notify: not needed, a Tarnel window is active";
        QTest::newRow("with buttons")
            << false << QStringList{"body", "actions"} << "notify: shown “1 converted, 1 failed”";
        QTest::newRow("without buttons")
            << false << QStringList{"body"}
            << "notify: shown “1 converted, 1 failed” (the server offers no buttons)";
        QTest::newRow("no server")
            << false << QStringList{}
            << "notify: not shown (org.freedesktop.DBus.Error.ServiceUnknown)";
    }
    void notification() {
        QFETCH(bool, windowActive);
        QFETCH(QStringList, capabilities);
        QFETCH(QString, logged);
        if (!capabilities.isEmpty())
            QVERIFY(m_fakeSession.registerService("org.freedesktop.Notifications"));
        m_notifications.answer = [&](const QDBusMessage &m, const QDBusConnection &c) {
            c.send(m.member() == "Notify" ? m.createReply(7u) : m.createReply(capabilities));
        };
        qputenv("REDLINE_SIM_FAIL_MATCH", "Bad");
        makeQueue();
        m_monitor->setWindowActiveCheck([&] { return windowActive; });
        addJobs({"Good.R3D", "Bad.R3D"});
        m_queue->start();
        QTRY_VERIFY_WITH_TIMEOUT(monitorLines().filter("notify:").size() == 1, 60'000);
        QCOMPARE(monitorLines().filter("notify:"), QStringList{logged});
        if (windowActive || capabilities.isEmpty()) {
            QVERIFY(m_notifications.calls.isEmpty());
            return;
        }
        QCOMPARE(m_notifications.calls.size(), 2);
        const QVariantList args = m_notifications.calls[1].arguments();
        QCOMPARE(args.mid(0, 5), (QVariantList{"Tarnel", 0u, "tarnel", "1 converted, 1 failed",
                                               "Total time: 1 h 2 min"}));
        const bool buttons = capabilities.contains("actions");
        const QStringList offered{"show-output", "Show in Files", "open-log", "Open Debug Log"};
        QCOMPARE(args[5].toStringList(), buttons ? offered : QStringList());
        if (!buttons)
            return;
        // Clicks on another program's notification and on this one's buttons.
        const QList<std::pair<uint, QString>> clicks{
            {8, "open-log"}, {7, "show-output"}, {7, "open-log"}};
        for (const auto &[id, key] : clicks)
            m_fakeSession.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications",
                                                          "ActionInvoked")
                               << id << key);
        QTRY_COMPARE(m_workspace.opened.size(), 2);
        QCOMPARE(m_workspace.opened,
                 (QStringList{m_dir->filePath("out"), m_dir->filePath("Tarnel_debug.txt")}));
    }

    void noBusAtAll() {
        // The test environment points both buses at nothing, as in a bare container.
        m_queue = std::make_unique<TranscodeQueue>();
        m_queue->setLogPath(m_dir->filePath("Tarnel_debug.txt"));
        m_queue->setSoundPlayer(&m_sounds);
        m_queue->setSettings(m_settings.get());
        new RunMonitor(m_queue.get());
        addJobs({"A.R3D"});
        m_queue->start();
        QTRY_VERIFY_WITH_TIMEOUT(monitorLines().size() == 3, 60'000);
        QCOMPARE(m_queue->jobs()[0]->status(), JobStatus::done);
        QCOMPARE(monitorLines(), (QStringList{"inhibit: nothing holds off sleep during this run "
                                              "(logind: no system bus; portal: no session bus)",
                                              "launcher: no session bus, no task-bar progress",
                                              "notify: not shown (no session bus)"}));
        // The queue's own lines are all there, in their order; the monitor's
        // come after the run's start and after its summary.
        const QStringList lines = TestTools::logLines(m_queue->logPath());
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{"addFiles: found 1 R3D file(s), 1 new",
                              "start: beginning queue of 1 file(s)", monitorLines()[0],
                              monitorLines()[1], "processNext: starting A.R3D"}));
        QCOMPARE(lines.mid(lines.size() - 2),
                 (QStringList{"queue finished — 1 file(s), 0 failed", monitorLines()[2]}));
        QCOMPARE(lines.size(), 17 + 3);
        QCOMPARE(m_sounds.played, QStringList{"Glass"});
    }
};

TARNEL_TEST_MAIN(MonitorTest)
#include "tst_monitor.moc"
