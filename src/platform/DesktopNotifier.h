#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>

class NotificationSignals;

// Desktop notifications through the freedesktop notification server
// (org.freedesktop.Notifications on the session bus). Nothing assumes a
// server exists: every call is asynchronous with a short time limit, and a
// missing server only shows in failed(). Buttons are offered only where the
// server says it supports them ("actions" among its capabilities); a click
// on one comes back as actionInvoked().
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    struct Action {
        QString key;
        QString label;
    };
    // How long the server may take to answer.
    static constexpr int kTimeoutMs = 5000;

    explicit DesktopNotifier(const QDBusConnection &sessionBus, QObject *parent = nullptr);
    ~DesktopNotifier() override;

    // Shows a notification, replacing the one this notifier showed last.
    void notify(const QString &summary, const QString &body, const QList<Action> &actions);

Q_SIGNALS:
    // The server showed it; withActions tells whether the buttons were offered.
    void shown(bool withActions);
    // No notification was shown, and why.
    void failed(const QString &reason);
    // A button of a notification from this notifier was clicked.
    void actionInvoked(const QString &key);

private:
    void send(const QString &summary, const QString &body, const QList<Action> &actions,
              const QStringList &capabilities, const QString &server);
    void listenTo(const QString &server);

    QDBusConnection m_bus;
    uint m_lastId = 0;
    QSet<uint> m_open;
    QPointer<NotificationSignals> m_signals;
};
