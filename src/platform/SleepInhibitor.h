#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QDBusPendingCallWatcher;

// Keeps the machine from suspending (on request or after idling) while held.
// The display may still blank: only sleep is held off.
//
// First choice is logind on the system bus (Manager.Inhibit "sleep:idle" in
// "block" mode), which hands back a file descriptor: the inhibitor lasts
// exactly as long as that descriptor is open, so it is kept for the hold and
// closed on release. If logind is missing or refuses, the desktop portal's
// Inhibit on the session bus (suspend and idle) is asked, and its request
// handle is closed on release. If neither answers, nothing is held and the
// caller is told so.
//
// Every call is asynchronous with a short time limit: nothing here ever makes
// the caller wait. A release that comes before an answer undoes the answer
// when it arrives, also after this object is gone.
class SleepInhibitor : public QObject {
    Q_OBJECT

public:
    enum class Mechanism { none, logind, portal };
    // How long each service may take to answer.
    static constexpr int kTimeoutMs = 5000;

    SleepInhibitor(const QDBusConnection &systemBus, const QDBusConnection &sessionBus,
                   QObject *parent = nullptr);
    ~SleepInhibitor() override;

    // Asks for the inhibitor, giving the reason people see in the system's
    // list of inhibitors; settled() tells what took effect. Does nothing
    // while already held or asked for.
    void hold(const QString &reason);
    // Lets the machine sleep again.
    void release();
    Mechanism mechanism() const { return m_mechanism; }

Q_SIGNALS:
    // After hold(): the mechanism now in effect, and why the ones before it
    // (or all, for none) did not take effect.
    void settled(SleepInhibitor::Mechanism mechanism, const QString &failures);

private:
    void askLogind();
    void askPortal();
    void settle(Mechanism mechanism);

    QDBusConnection m_system;
    QDBusConnection m_session;
    QString m_reason;
    QStringList m_failures;
    bool m_wanted = false;
    // Bumped by every release, so an answer to an earlier hold is recognised.
    quint64 m_attempt = 0;
    Mechanism m_mechanism = Mechanism::none;
    QDBusUnixFileDescriptor m_logindLock;
    QString m_portalRequest;
    QPointer<QDBusPendingCallWatcher> m_portalCall;
};
