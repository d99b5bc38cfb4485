#include "model/TranscodeJob.h"
#include "platform/DesktopNotifier.h"
#include "platform/LauncherProgress.h"
#include "platform/SleepInhibitor.h"
#include "platform/Translations.h"
#include "queue/ConversionSession.h"
#include "queue/RunMonitor.h"
#include "queue/TranscodeQueue.h"
#include "support/FakeObject.h"
#include "support/PrivateBus.h"
#include "support/RecordingSoundPlayer.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtDBus>
#include <QtTest>
#include <unistd.h>

namespace {

const QVariantMap kCleared{{"progress-visible", false}, {"count-visible", false}};

} // namespace

class MonitorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_systemBus, m_sessionBus;
    // Tarnel's connections and the fakes' connections, new for every test.
    QDBusConnection m_system{""}, m_session{""}, m_fakeSystem{""}, m_fakeSession{""};
    FakeObject m_logind, m_portal, m_notifications;
    QList<QVariantMap> m_updates; // the task-bar entry's updates, as a dock receives them
    std::unique_ptr<QTemporaryDir> m_dir;
    UserSettings m_settings;
    std::unique_ptr<ConversionSession> m_conversion;
    TranscodeQueue *m_queue = nullptr; // the conversion session's
    RecordingSoundPlayer m_sounds;
    RecordingWorkspace m_workspace;
    qint64 m_now = 0;
    int m_inhibitRead = -1;

    QStringList monitorLines() const {
        return TestTools::logLines(m_dir->filePath("log"))
            .filter(QRegularExpression("^(inhibit|launcher|notify): "));
    }
    bool inhibitorClosed() const { return lockClosed(m_inhibitRead); }
    void answerInhibit(const QDBusMessage &call) {
        m_inhibitRead = ::answerInhibit(m_fakeSystem, call);
    }
    // A session with a queue of two jobs, its services on the private buses or on the (absent)
    // user's buses. The clock reads 0 at the run's start and 1 h 2 min at its end.
    void makeQueue(bool privateBuses = true) {
        const QDBusConnection system = privateBuses ? m_system : QDBusConnection::systemBus();
        const QDBusConnection session = privateBuses ? m_session : QDBusConnection::sessionBus();
        m_conversion = std::make_unique<ConversionSession>(
            m_settings, ConversionSession::Services{
                            new SleepInhibitor(system, session), new DesktopNotifier(session),
                            new LauncherProgress(session, 3'600'000), m_sounds, m_workspace,
                            [this] { return m_now; }});
        m_queue = m_conversion->queue();
        m_queue->setLogPath(m_dir->filePath("log"));
        QObject::connect(m_queue, &TranscodeQueue::isConvertingChanged, this,
                         [this] { m_now = m_queue->isConverting() ? 0 : 3'723'000; });
        m_queue->addFiles({QUrl::fromLocalFile(m_dir->filePath("A.R3D")),
                           QUrl::fromLocalFile(m_dir->filePath("B.R3D"))});
    }

public Q_SLOTS:
    void launcherUpdate(const QString &, const QVariantMap &properties) { m_updates << properties; }

private Q_SLOTS:
    void initTestCase() {
        m_systemBus = std::make_unique<PrivateBus>();
        m_sessionBus = std::make_unique<PrivateBus>();
        QVERIFY(!m_systemBus->address().isEmpty() && !m_sessionBus->address().isEmpty());
    }
    void init() {
        m_system = QDBusConnection::connectToBus(m_systemBus->address(), "tarnel-system");
        m_session = QDBusConnection::connectToBus(m_sessionBus->address(), "tarnel-session");
        m_fakeSystem = QDBusConnection::connectToBus(m_systemBus->address(), "fake-system");
        m_fakeSession = QDBusConnection::connectToBus(m_sessionBus->address(), "fake-session");
        QVERIFY(m_fakeSystem.registerVirtualObject("/org/freedesktop/login1", &m_logind));
        QVERIFY(m_fakeSession.registerVirtualObject("/org/freedesktop/portal/desktop", &m_portal,
                                                    QDBusConnection::SubPath));
        QVERIFY(m_fakeSession.registerVirtualObject("/org/freedesktop/Notifications",
                                                    &m_notifications));
        for (FakeObject *o : {&m_logind, &m_portal, &m_notifications})
            o->calls.clear();
        m_logind.answer = [this](const QDBusMessage &m) { answerInhibit(m); };
        m_notifications.answer = nullptr;
        m_portal.answer = [this](const QDBusMessage &m) {
            m_fakeSession.send(m.createReply(QVariant::fromValue(
                QDBusObjectPath("/org/freedesktop/portal/desktop/request/1/t"))));
        };
        QVERIFY(m_fakeSession.connect(m_session.baseService(), LauncherProgress::kObjectPath,
                                      "com.canonical.Unity.LauncherEntry", "Update", this,
                                      SLOT(launcherUpdate(QString, QVariantMap))));
        m_fakeSession.interface()->isServiceRegistered("x"); // the dock's match rule is in place
        m_updates.clear();
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings.setRedlinePath(TestTools::redlineSim());
        m_settings.setOutputDirectory(QUrl::fromLocalFile(m_dir->filePath("out") + "/"));
        m_workspace = RecordingWorkspace();
    }
    void cleanup() {
        Translations::remove();
        m_conversion.reset();
        m_queue = nullptr;
        // Released now: a call still queued for a fake keeps its connection open a while.
        for (const char *name : {"org.freedesktop.portal.Desktop", "org.freedesktop.Notifications"})
            m_fakeSession.unregisterService(name);
        m_fakeSystem.unregisterService("org.freedesktop.login1");
        m_system = m_session = m_fakeSystem = m_fakeSession = QDBusConnection("");
        for (const char *name : {"tarnel-system", "tarnel-session", "fake-system", "fake-session"})
            QDBusConnection::disconnectFromBus(name);
        ::close(m_inhibitRead);
        m_inhibitRead = -1;
    }

    // The time left comes from this run's converted files, not failures or empty ones.
    void estimate() {
        qint64 now = 1'000'000;
        RunEstimate e([&] { return now; });
        const auto file = [&](qint64 bytes, qint64 ms, bool converted) {
            e.fileStarted(bytes);
            now += ms;
            e.fileFinished(converted);
        };
        const auto left = [&](double progress, qint64 waiting) {
            return RunEstimate::remainingText(e.remainingMs(progress, waiting));
        };
        e.begin();
        file(10, 99'000'000, false);
        file(0, 3000, true);
        QCOMPARE(left(0.0, 1000), QString());
        file(1'000'000, 400'000, true);
        file(3'000'000, 1'600'000, true); // about 0.5 ms a byte
        e.fileStarted(10'000'000);
        QCOMPARE(left(0.25, 2'000'000), QString("About 1 h 19 min left")); // 9,500,000 bytes
        QCOMPARE(left(1.0, 100'000), QString("Less than a minute left"));
    }

    void launcherSendsTheLatestValues() {
        {
            LauncherProgress launcher(m_session, 0);
            for (int i = 0; i <= 100; ++i) // all within one pass of the event loop
                launcher.show(i / 100.0, 100 - i);
            QTRY_COMPARE(m_updates.size(), 2);
        } // gone: clears what it showed
        QTRY_COMPARE(m_updates.size(), 3);
        const auto shown = [](double progress, qint64 left) {
            return QVariantMap{{"progress", progress},
                               {"progress-visible", true},
                               {"count", left},
                               {"count-visible", left > 0}};
        };
        QCOMPARE(m_updates, (QList<QVariantMap>{shown(0, 100), shown(1, 0), kCleared}));
    }

    // Sleep is held off through logind (else the portal) and let go of however
    // the run ends, also when logind answers after it; the task bar shows the
    // first state and is cleared; the end is notified (buttons when offered)
    // unless a Tarnel window is active. The notification and the reason for
    // holding off sleep are in the user's language, the log lines in English.
    void runOnTheDesktop_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("logind");           // answers, refuses, or late (after the run)
        QTest::addColumn<QStringList>("capabilities"); // of the notifications; none: no server
        QTest::addColumn<QString>("notified");
        const auto row = [](const char *tag, const char *logind, const QStringList &capabilities,
                            const QString &notified) {
            QTest::newRow(tag) << QString(tag).section(',', 0, 0) << QString(logind) << capabilities
                               << notified;
        };
        row("converted, in German", "answers", {"body", "actions"},
            "notify: shown “2 clips converted”");
        row("failed, logind answers late", "late", {"body"},
            "notify: shown “0 converted, 2 failed” (the server offers no buttons)");
        row("cleared, window active", "answers", {"actions"},
            "notify: not needed, a Tarnel window is active");
        row("destroyed", "answers", {"actions"}, "");
        row("converted, through the portal", "refuses", {},
            "notify: not shown (org.freedesktop.DBus.Error.ServiceUnknown)");
    }
    void runOnTheDesktop() {
        QFETCH(QString, ending);
        QFETCH(QString, logind);
        QFETCH(QStringList, capabilities);
        QFETCH(QString, notified);
        const bool german = QString(QTest::currentDataTag()).endsWith("German");
        QCOMPARE(Translations::install(QLocale(german ? "de_DE" : "C")), german);
        QVERIFY(m_fakeSystem.registerService("org.freedesktop.login1"));
        QVERIFY(m_fakeSession.registerService("org.freedesktop.portal.Desktop"));
        if (!capabilities.isEmpty())
            QVERIFY(m_fakeSession.registerService("org.freedesktop.Notifications"));
        m_notifications.answer = [&](const QDBusMessage &m) {
            m_fakeSession.send(m.member() == "Notify" ? m.createReply(7u)
                                                      : m.createReply(capabilities));
        };
        QDBusMessage unanswered;
        if (logind == "refuses")
            m_logind.answer = [&](const QDBusMessage &m) {
                m_fakeSystem.send(
                    m.createErrorReply("org.freedesktop.DBus.Error.AccessDenied", ""));
            };
        if (logind == "late")
            m_logind.answer = [&](const QDBusMessage &m) { unanswered = m; };
        m_settings.setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        makeQueue();
        m_conversion->monitor()->setWindowActiveCheck([&] { return ending == "cleared"; });
        m_queue->start();
        // Once REDline runs: a stop asked for before it is started is lost.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir->filePath("started")), 30'000);

        const QString held = logind == "refuses"
                                 ? "inhibit: the desktop portal holds off sleep until the "
                                   "run ends (logind: org.freedesktop.DBus.Error.AccessDenied)"
                                 : "inhibit: logind holds off sleep until the run ends";
        if (logind == "late")
            QTRY_VERIFY(unanswered.type() != QDBusMessage::InvalidMessage);
        else
            QTRY_VERIFY(monitorLines().contains(held));
        const QString reason = german ? "2 Clips werden konvertiert" : "Converting 2 clips";
        QCOMPARE(m_logind.calls.size(), 1);
        QCOMPARE(m_logind.calls[0].arguments(),
                 (QVariantList{"sleep:idle", "Tarnel", reason, "block"}));
        if (logind == "refuses") {
            QCOMPARE(m_portal.calls.size(), 1);
            const QVariantList args = m_portal.calls[0].arguments();
            QCOMPARE(args.mid(0, 2), (QVariantList{"", 12u}));
            QCOMPARE(qdbus_cast<QVariantMap>(args[2]), (QVariantMap{{"reason", reason}}));
        } else if (logind == "answers") {
            QVERIFY(!inhibitorClosed());
        }

        if (ending == "failed")
            TestTools::touch(m_dir->filePath("fail"));
        if (ending == "cleared")
            m_queue->clearList();
        if (ending == "destroyed")
            m_conversion.reset(), m_queue = nullptr;
        TestTools::touch(m_dir->filePath("go"));
        if (m_queue)
            QTRY_VERIFY_WITH_TIMEOUT(!m_queue->isConverting(), 60'000);
        if (logind == "late")
            answerInhibit(unanswered); // after the run: let go of as soon as it arrives
        if (logind == "refuses")
            QTRY_COMPARE(m_portal.calls.last().member() + m_portal.calls.last().path(),
                         QString("Close/org/freedesktop/portal/desktop/request/1/t"));
        else
            QTRY_VERIFY(inhibitorClosed());
        QCOMPARE(monitorLines().contains(held), logind != "late");

        // The task bar: the first state at once, the rest held back (an hour), then cleared.
        QTRY_COMPARE(m_updates.size(), 2);
        QCOMPARE(m_updates[0].value("count"), QVariant(2LL));
        QCOMPARE(m_updates[1], kCleared);

        if (!m_queue)
            return;
        // The run's last lines come back to back, the sleep let go of after them.
        const QStringList lines = TestTools::logLines(m_dir->filePath("log"));
        const qsizetype end = lines.indexOf("processNext: no queued jobs");
        QVERIFY(end > 0);
        QVERIFY(lines.value(end + 1).startsWith("queue finished — "));
        if (logind != "late")
            QCOMPARE(lines.value(end + 2), "inhibit: released, the run ended");
        QTRY_COMPARE(monitorLines().filter("notify:"), QStringList{notified});
        QCOMPARE(m_notifications.calls.isEmpty(), !notified.startsWith("notify: shown"));
        if (m_notifications.calls.isEmpty())
            return;
        const QVariantList args = m_notifications.calls.last().arguments();
        QCOMPARE(args.mid(0, 5),
                 (QVariantList{"Tarnel", 0u, "tarnel",
                               german ? "2 Clips konvertiert"
                                      : notified.section("“", 1).section("”", 0, 0),
                               german ? "Gesamtdauer: 1 h 2 min" : "Total time: 1 h 2 min"}));
        const QStringList buttons{"show-output", "In „Dateien“ zeigen", "open-log",
                                  "Debug-Protokoll öffnen"};
        QCOMPARE(args[5].toStringList(),
                 capabilities.contains("actions") ? buttons : QStringList());
        if (!capabilities.contains("actions"))
            return;
        // Clicks: on another program's notification, then on both buttons of Tarnel's.
        for (const auto &[id, key] :
             QList<std::pair<uint, QString>>{{8, "open-log"}, {7, "show-output"}, {7, "open-log"}})
            m_fakeSession.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications",
                                                          "ActionInvoked")
                               << id << key);
        QTRY_COMPARE(m_workspace.opened.size(), 2);
        QCOMPARE(m_workspace.opened, (QList<QUrl>{QUrl::fromLocalFile(m_dir->filePath("out")),
                                                  QUrl::fromLocalFile(m_dir->filePath("log"))}));
    }

    // The session announces progress batched: the values of one turn of the event loop
    // come as one announcement of the job, with its latest value, on the next turn, and
    // what is pending when the job finishes comes before it is announced finished.
    void progressIsBatched() {
        m_settings.setRedlinePath(TestTools::gatedRedline(m_dir->path()));
        makeQueue(false);
        QStringList events;
        connect(m_conversion.get(), &ConversionSession::progressed, this,
                [&](const QList<TranscodeJob *> &jobs) {
                    for (const TranscodeJob *job : jobs)
                        events << QString::number(job->progress());
                });
        connect(m_conversion.get(), &ConversionSession::jobFinished, this,
                [&] { events << "finished"; });
        QSignalSpy started(m_conversion.get(), &ConversionSession::jobStarted);
        m_queue->start();
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 30'000);
        auto *job = started.first().first().value<TranscodeJob *>();
        for (const double value : {0.1, 0.2, 0.3})
            job->setProgress(value); // as REDline's lines arrive within one turn
        QVERIFY(events.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(events, QStringList{"0.3"});

        // A last value, set as the job fails: announced first.
        connect(job, &TranscodeJob::statusChanged, this, [job] {
            if (job->status() == JobStatus::failed)
                job->setProgress(0.4);
        });
        m_queue->abandonRun(true);
        QTRY_VERIFY_WITH_TIMEOUT(!m_queue->isConverting(), 30'000);
        QCOMPARE(events, (QStringList{"0.3", "0.4", "finished"}));
    }

    void noBusAtAll() { // the test environment points both buses at nothing
        makeQueue(false);
        m_queue->start();
        QTRY_VERIFY_WITH_TIMEOUT(monitorLines().size() == 3, 60'000);
        const QStringList lines = TestTools::logLines(m_dir->filePath("log"));
        QCOMPARE(lines.mid(1, 3), (QStringList{"start: beginning queue of 2 file(s)",
                                               "inhibit: nothing holds off sleep during this run "
                                               "(logind: no system bus; portal: no session bus)",
                                               "launcher: no session bus, no task-bar progress"}));
        QCOMPARE(lines.mid(lines.size() - 2), (QStringList{"queue finished — 2 file(s), 0 failed",
                                                           "notify: not shown (no session bus)"}));
    }
};

TARNEL_TEST_MAIN(MonitorTest)
#include "tst_monitor.moc"
