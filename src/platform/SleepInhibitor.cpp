#include "SleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
// The portal's Inhibit flags: 4 holds off suspending, 8 idling.
constexpr uint kPortalSuspendAndIdle = 4 | 8;

// Ends a portal inhibition; the answer does not matter.
void closePortalRequest(const QDBusConnection &bus, const QString &handle) {
    bus.send(QDBusMessage::createMethodCall(kPortalService, handle,
                                            QStringLiteral("org.freedesktop.portal.Request"),
                                            QStringLiteral("Close")));
}

} // namespace

SleepInhibitor::SleepInhibitor(const QDBusConnection &systemBus, const QDBusConnection &sessionBus,
                               QObject *parent)
    : QObject(parent), m_system(systemBus), m_session(sessionBus) {
}

SleepInhibitor::~SleepInhibitor() {
    release();
    // A portal answer still on its way would hold off sleep until Tarnel
    // ends: keep waiting for it without this object, and close it then.
    if (m_portalCall && !m_portalCall->isFinished()) {
        QDBusPendingCallWatcher *call = m_portalCall;
        call->setParent(nullptr);
        connect(call, &QDBusPendingCallWatcher::finished, call, [bus = m_session, call] {
            const QDBusPendingReply<QDBusObjectPath> reply = *call;
            if (reply.isValid())
                closePortalRequest(bus, reply.value().path());
            call->deleteLater();
        });
    }
}

void SleepInhibitor::hold(const QString &reason) {
    if (m_wanted)
        return;
    m_wanted = true;
    m_reason = reason;
    m_failures.clear();
    askLogind();
}

void SleepInhibitor::release() {
    if (!m_wanted)
        return;
    m_wanted = false;
    ++m_attempt;
    // logind drops the inhibitor when its descriptor's last copy is closed.
    m_logindLock = QDBusUnixFileDescriptor();
    if (!m_portalRequest.isEmpty())
        closePortalRequest(m_session, m_portalRequest);
    m_portalRequest.clear();
    m_mechanism = Mechanism::none;
}

void SleepInhibitor::askLogind() {
    if (!m_system.isConnected()) {
        m_failures << QStringLiteral("logind: no system bus");
        askPortal();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:idle") << QStringLiteral("Tarnel") << m_reason
         << QStringLiteral("block");
    auto *watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, attempt = m_attempt] {
                watcher->deleteLater();
                // An answer to a hold released meanwhile: its descriptor is
                // closed with the reply, which ends the inhibitor at once.
                if (attempt != m_attempt)
                    return;
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
                if (reply.isValid() && reply.value().isValid()) {
                    m_logindLock = reply.value();
                    settle(Mechanism::logind);
                    return;
                }
                m_failures << u"logind: " + (reply.isError() ? reply.error().name()
                                                             : QStringLiteral("no descriptor"));
                askPortal();
            });
}

void SleepInhibitor::askPortal() {
    if (!m_session.isConnected()) {
        m_failures << QStringLiteral("portal: no session bus");
        settle(Mechanism::none);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
    call << QString() << kPortalSuspendAndIdle << QVariantMap{{QStringLiteral("reason"), m_reason}};
    auto *watcher = new QDBusPendingCallWatcher(m_session.asyncCall(call, kTimeoutMs), this);
    m_portalCall = watcher;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, attempt = m_attempt] {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
                if (attempt != m_attempt) {
                    if (reply.isValid())
                        closePortalRequest(m_session, reply.value().path());
                    return;
                }
                if (reply.isValid()) {
                    m_portalRequest = reply.value().path();
                    settle(Mechanism::portal);
                    return;
                }
                m_failures << u"portal: " + reply.error().name();
                settle(Mechanism::none);
            });
}

void SleepInhibitor::settle(Mechanism mechanism) {
    m_mechanism = mechanism;
    Q_EMIT settled(mechanism, m_failures.join(QStringLiteral("; ")));
}
