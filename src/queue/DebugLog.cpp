#include "DebugLog.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString DebugLog::defaultLocation() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return folder + u'/' + QLatin1String(kFileName);
}

QString DebugLog::entry(const QDateTime &moment, const QString &message) {
    return u'[' + moment.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" +0000] ") + message + u'\n';
}

void DebugLog::append(const QString &message) const {
    const QByteArray bytes = entry(QDateTime::currentDateTimeUtc(), message).toUtf8();
    // Append mode creates the file when it is missing and never truncates it.
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(bytes);
    file.close();
}
