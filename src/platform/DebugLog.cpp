#include "DebugLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString DebugLog::defaultLocation() {
    // Qt names $HOME/Desktop even when there is no such folder (and the
    // folder that user-dirs.dirs names may be gone): the log then goes to
    // the home folder instead of nowhere.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return folder + u'/' + QLatin1String(kFileName);
}

QString DebugLog::entry(const QDateTime &moment, const QString &message) {
    return u'[' + moment.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
           QStringLiteral(" +0000] ") + message + u'\n';
}

namespace {

ssize_t writeOnce(int fd, const QByteArray &bytes) {
    ssize_t n;
    do {
        n = ::write(fd, bytes.constData(), size_t(bytes.size()));
    } while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

void DebugLog::append(const QString &message) const {
    QByteArray bytes = entry(QDateTime::currentDateTimeUtc(), message).toUtf8();
    // Never blocks and never writes through a link at the log's name: a pipe
    // or a device there is left alone, only a regular file gets entries.
    // Read access is only for looking at the last byte; a log we may only
    // write to is still written.
    const QByteArray path = QFile::encodeName(m_path);
    constexpr int kFlags = O_APPEND | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(path.constData(), O_RDWR | kFlags, 0666);
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.constData(), O_WRONLY | kFlags, 0666);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // An entry cut short earlier (a full disk, a crash) gets its line
        // ended first, so this one starts on a line of its own.
        char last = '\n';
        if (st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
            bytes.prepend('\n');
        // One write of the whole entry: with O_APPEND, entries of several
        // processes writing the same log never interleave within a line.
        const ssize_t n = writeOnce(fd, bytes);
        if (n > 0 && n < bytes.size())
            writeOnce(fd, QByteArrayLiteral("\n"));
    }
    ::close(fd);
}
