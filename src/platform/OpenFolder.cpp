#include "OpenFolder.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Room for a few hundred records per read: a folder of 10,000 entries takes
// some twenty reads.
constexpr qsizetype kBufferBytes = 32 * 1024;

OpenFolder::Kind kindOfEntry(unsigned char type) {
    switch (type) {
    case DT_REG:
        return OpenFolder::Kind::file;
    case DT_DIR:
        return OpenFolder::Kind::folder;
    case DT_LNK:
        return OpenFolder::Kind::link;
    case DT_UNKNOWN:
        return OpenFolder::Kind::unknown;
    default:
        return OpenFolder::Kind::other;
    }
}

OpenFolder::Status statusFrom(const struct stat &st) {
    OpenFolder::Status status;
    if (S_ISREG(st.st_mode))
        status.kind = OpenFolder::Kind::file;
    else if (S_ISDIR(st.st_mode))
        status.kind = OpenFolder::Kind::folder;
    else if (S_ISLNK(st.st_mode))
        status.kind = OpenFolder::Kind::link;
    else
        status.kind = OpenFolder::Kind::other;
    status.device = quint64(st.st_dev);
    status.inode = quint64(st.st_ino);
    status.size = qint64(st.st_size);
    status.modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return status;
}

// One write puts all the bytes (a few hundred), or the write failed.
bool writeWhole(int fd, QByteArrayView bytes) {
    ssize_t n;
    do {
        n = ::write(fd, bytes.data(), size_t(bytes.size()));
    } while (n < 0 && errno == EINTR);
    return n == bytes.size();
}

} // namespace

OpenFolder::OpenFolder(const QString &path, Links links) {
    // O_NONBLOCK keeps a FIFO put in the folder's place from blocking the open.
    const int flags =
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | (links == Links::refuse ? O_NOFOLLOW : 0);
    m_fd = ::open(QFile::encodeName(path).constData(), flags);
    m_openError = m_fd < 0 ? errno : 0;
}

OpenFolder::OpenFolder(OpenFolder &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_openError(other.m_openError),
      m_buffer(std::move(other.m_buffer)), m_filled(std::exchange(other.m_filled, 0)),
      m_offset(std::exchange(other.m_offset, 0)) {
}

OpenFolder::~OpenFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool OpenFolder::next(Entry &entry) {
    if (m_fd < 0)
        return false;
    for (;;) {
        if (m_offset >= m_filled) {
            if (!m_buffer)
                m_buffer = std::make_unique<char[]>(size_t(kBufferBytes));
            ssize_t n;
            do {
                n = ::getdents64(m_fd, m_buffer.get(), size_t(kBufferBytes));
            } while (n < 0 && errno == EINTR);
            if (n <= 0)
                return false;
            m_filled = qsizetype(n);
            m_offset = 0;
        }
        const auto *record = reinterpret_cast<const dirent64 *>(m_buffer.get() + m_offset);
        m_offset += record->d_reclen;
        const QByteArrayView name(record->d_name);
        if (name == "." || name == "..")
            continue;
        entry = {name, quint64(record->d_ino), kindOfEntry(record->d_type)};
        return true;
    }
}

std::optional<OpenFolder::Status> OpenFolder::status(const char *name) const {
    struct stat st {};
    if (::fstatat(m_fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return statusFrom(st);
}

std::optional<OpenFolder::Status> OpenFolder::statusOf(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return statusFrom(st);
}

std::variant<OpenFolder::Status, OpenFolder::CreateFailure>
OpenFolder::createFile(const char *name, QByteArrayView bytes) const {
    const int fd = ::openat(m_fd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return CreateFailure{m_fd < 0 ? EBADF : errno, false};
    struct stat st {};
    const bool written = writeWhole(fd, bytes) && ::fstat(fd, &st) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlinkat(m_fd, name, 0);
        return CreateFailure{written ? EIO : writeError, true};
    }
    return statusFrom(st);
}

std::optional<OpenFolder::Contents> OpenFolder::readFile(const char *name, qsizetype limit) const {
    const int fd = ::openat(m_fd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<Contents> contents;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray bytes(limit, Qt::Uninitialized);
        ssize_t n;
        do {
            n = ::read(fd, bytes.data(), size_t(limit));
        } while (n < 0 && errno == EINTR);
        if (n >= 0) {
            bytes.resize(qsizetype(n));
            contents = Contents{std::move(bytes), statusFrom(st)};
        }
    }
    ::close(fd);
    return contents;
}

bool OpenFolder::remove(const char *name) const {
    return ::unlinkat(m_fd, name, 0) == 0;
}

bool OpenFolder::rename(const char *from, const char *to, Replace replace) const {
    return ::renameat2(m_fd, from, m_fd, to, replace == Replace::no ? RENAME_NOREPLACE : 0) == 0;
}
