#include "DesktopNotifier.h"

#include <QDBusAbstractInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr auto kInterface = "org.freedesktop.Notifications";

QDBusMessage serverCall(const QString &method) {
    return QDBusMessage::createMethodCall(kService, kPath, QLatin1String(kInterface), method);
}

} // namespace

// The server's signals, relayed by QtDBus as Qt signals of the same names.
// Bound to the server's unique name, so no other program can fake a click.
class NotificationSignals : public QDBusAbstractInterface {
    Q_OBJECT

public:
    NotificationSignals(const QString &server, const QDBusConnection &bus, QObject *parent)
        : QDBusAbstractInterface(server, kPath, kInterface, bus, parent) {}

Q_SIGNALS:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);
};

DesktopNotifier::DesktopNotifier(const QDBusConnection &sessionBus, QObject *parent)
    : QObject(parent), m_bus(sessionBus) {
}

DesktopNotifier::~DesktopNotifier() = default;

void DesktopNotifier::notify(const QString &summary, const QString &body,
                             const QList<Action> &actions) {
    if (!m_bus.isConnected()) {
        Q_EMIT failed(QStringLiteral("no session bus"));
        return;
    }
    // Which features the server has decides whether buttons are offered.
    auto *watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(serverCall(QStringLiteral("GetCapabilities")), kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, summary, body, actions] {
                watcher->deleteLater();
                const QDBusPendingReply<QStringList> reply = *watcher;
                if (reply.isError()) {
                    Q_EMIT failed(reply.error().name());
                    return;
                }
                send(summary, body, actions, reply.value(), reply.reply().service());
            });
}

void DesktopNotifier::send(const QString &summary, const QString &body,
                           const QList<Action> &actions, const QStringList &capabilities,
                           const QString &server) {
    const bool withActions = !actions.isEmpty() && capabilities.contains(QStringLiteral("actions"));
    QStringList actionList;
    if (withActions) {
        listenTo(server);
        for (const Action &a : actions)
            actionList << a.key << a.label;
    }
    QDBusMessage call = serverCall(QStringLiteral("Notify"));
    call << QStringLiteral("Tarnel") << m_lastId << QStringLiteral("tarnel") << summary << body
         << actionList << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("tarnel")}}
         << -1;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, withActions] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError()) {
            Q_EMIT failed(reply.error().name());
            return;
        }
        m_lastId = reply.value();
        m_open.insert(m_lastId);
        Q_EMIT shown(withActions);
    });
}

void DesktopNotifier::listenTo(const QString &server) {
    // A restarted server has a new unique name.
    if (m_signals && m_signals->service() == server)
        return;
    delete m_signals;
    m_signals = new NotificationSignals(server, m_bus, this);
    connect(m_signals, &NotificationSignals::ActionInvoked, this,
            [this](uint id, const QString &key) {
                if (m_open.contains(id))
                    Q_EMIT actionInvoked(key);
            });
    connect(m_signals, &NotificationSignals::NotificationClosed, this,
            [this](uint id, uint) { m_open.remove(id); });
}

#include "DesktopNotifier.moc"
