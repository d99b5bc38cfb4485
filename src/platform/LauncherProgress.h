#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

// Progress and a count on Tarnel's task-bar or dock entry, through the
// LauncherEntry signal that docks and task managers listen for
// (com.canonical.Unity.LauncherEntry.Update, for application://tarnel.desktop).
// A signal needs no listener, so this never fails and never waits.
//
// Updates are coalesced: the first is sent at once, and those that follow
// within the interval are sent as one, with the latest values, when it ends.
class LauncherProgress : public QObject {
    Q_OBJECT

public:
    // At most four updates a second.
    static constexpr int kIntervalMs = 250;
    static constexpr auto kAppUri = "application://tarnel.desktop";
    static constexpr auto kObjectPath = "/com/canonical/unity/launcherentry/tarnel";

    explicit LauncherProgress(const QDBusConnection &sessionBus, int intervalMs = kIntervalMs,
                              QObject *parent = nullptr);
    // Clears what is shown.
    ~LauncherProgress() override;

    bool isAvailable() const { return m_bus.isConnected(); }
    // Shows the fraction done (0 to 1) and the number of files left.
    void show(double progress, int filesLeft);
    // Hides the progress and the count at once.
    void clear();

private:
    void flush();
    void send(const QVariantMap &properties);

    QDBusConnection m_bus;
    QTimer m_interval;
    bool m_pending = false;
    bool m_visible = false;
    double m_progress = 0;
    int m_filesLeft = 0;
};
