#include "LauncherProgress.h"

#include <QDBusMessage>
#include <algorithm>

LauncherProgress::LauncherProgress(const QDBusConnection &sessionBus, int intervalMs,
                                   QObject *parent)
    : QObject(parent), m_bus(sessionBus) {
    m_interval.setSingleShot(true);
    m_interval.setInterval(intervalMs);
    connect(&m_interval, &QTimer::timeout, this, &LauncherProgress::flush);
}

LauncherProgress::~LauncherProgress() {
    if (m_visible)
        clear();
}

void LauncherProgress::show(double progress, int filesLeft) {
    m_progress = std::clamp(progress, 0.0, 1.0);
    m_filesLeft = filesLeft;
    m_pending = true;
    if (!m_interval.isActive())
        flush();
}

void LauncherProgress::clear() {
    m_interval.stop();
    m_pending = false;
    m_visible = false;
    send({{QStringLiteral("progress-visible"), false}, {QStringLiteral("count-visible"), false}});
}

void LauncherProgress::flush() {
    if (!m_pending)
        return;
    m_pending = false;
    m_visible = true;
    send({{QStringLiteral("progress"), m_progress},
          {QStringLiteral("progress-visible"), true},
          {QStringLiteral("count"), qint64(m_filesLeft)},
          {QStringLiteral("count-visible"), m_filesLeft > 0}});
    // Whatever arrives before the interval ends waits for it.
    m_interval.start();
}

void LauncherProgress::send(const QVariantMap &properties) {
    if (!m_bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    update << QString::fromLatin1(kAppUri) << properties;
    m_bus.send(update);
}
