#include "ProcessInfo.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// The files read here are a few hundred bytes.
constexpr qsizetype kMaxBytes = 4096;

QByteArray readSmallFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxBytes);
}

} // namespace

QString ProcessInfo::hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return QStringLiteral("localhost");
    return QString::fromLocal8Bit(name);
}

QString ProcessInfo::bootId() {
    return QString::fromLatin1(readSmallFile(QStringLiteral("/proc/sys/kernel/random/boot_id")))
        .trimmed();
}

qint64 ProcessInfo::currentId() {
    return qint64(::getpid());
}

qint64 ProcessInfo::startTicks(qint64 pid) {
    const QByteArray stat = readSmallFile(u"/proc/" + QString::number(pid) + u"/stat");
    // The command name (field 2) may hold spaces and parentheses: the fields
    // after it start past the last ')'.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // Field 3 (state) is fields[0]; field 22 (the start) is fields[19].
    return fields.size() > 19 ? fields[19].toLongLong() : 0;
}

bool ProcessInfo::isSurelyGone(qint64 pid) {
    // 0 and negative ids name process groups, never one process.
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}
