#include "ReadOnlyFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFile::ReadOnlyFile(const QString &path) {
    // O_NONBLOCK: opening a pipe of that name must not wait for a writer. It
    // changes nothing for the regular file we go on with.
    m_fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (m_fd >= 0 && (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ReadOnlyFile::~ReadOnlyFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

qint64 ReadOnlyFile::read(void *buffer, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -qint64(errno) : qint64(n);
    }
}

qint64 ReadOnlyFile::seek(qint64 offset, int whence) {
    const off_t at = ::lseek(m_fd, off_t(offset), whence);
    return at < 0 ? -qint64(errno) : qint64(at);
}

qint64 ReadOnlyFile::size() const {
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -qint64(errno);
}
