#include "PrivateFolder.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Six characters from [A-Za-z0-9].
QByteArray randomSuffix() {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, 'X');
    for (char &c : suffix)
        c = kAlphabet[QRandomGenerator::system()->bounded(int(sizeof kAlphabet - 1))];
    return suffix;
}

bool writeAll(int fd, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

PrivateFolder::PrivateFolder(PrivateFolder &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {
}

PrivateFolder::~PrivateFolder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

QString PrivateFolder::parentProblem(const QString &parent) {
    struct stat st {};
    if (::stat(QFile::encodeName(parent).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return QStringLiteral("its parent folder cannot be examined");
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        return QStringLiteral("its parent folder belongs to another user");
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0)
        return QStringLiteral("other users may replace it in its parent folder");
    return {};
}

namespace {

QString parentOf(const QString &path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash > 0 ? path.left(slash) : QStringLiteral("/");
}

PlatformError unusable(const QString &path, const QString &why) {
    return PlatformError{QStringLiteral("Tarnel.PrivateFolder"), 1,
                         u"The folder \u201C" + path + u"\u201D cannot be used: " + why};
}

} // namespace

std::variant<PrivateFolder, PlatformError> PrivateFolder::open(const QString &path) {
    if (const QString why = parentProblem(parentOf(path)); !why.isEmpty())
        return unusable(path, why);
    // An existing entry is left as it is and judged below.
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return PlatformError::fromErrno(errno,
                                        u"Could not create the folder \u201C" + path + u"\u201D");
    return verify(path);
}

std::variant<PrivateFolder, PlatformError> PrivateFolder::createUnique(const QString &prefix) {
    if (const QString why = parentProblem(parentOf(prefix)); !why.isEmpty())
        return unusable(prefix + u"XXXXXX", why);
    QByteArray pattern = QFile::encodeName(prefix) + "XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return PlatformError::fromErrno(errno, u"Could not create a folder in \u201C" + prefix +
                                                   u"\u201D");
    return verify(QFile::decodeName(pattern));
}

std::variant<PrivateFolder, PlatformError> PrivateFolder::verify(const QString &path) {
    // O_NOFOLLOW: a link at the folder's name is refused, not followed.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return PlatformError::fromErrno(errno,
                                        u"Could not open the folder \u201C" + path + u"\u201D");
    struct stat st {};
    const char *why = nullptr;
    if (::fstat(fd, &st) != 0)
        why = "it cannot be examined";
    else if (!S_ISDIR(st.st_mode))
        why = "it is not a folder";
    else if (st.st_uid != ::geteuid())
        why = "it belongs to another user";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        why = "other users may write to it";
    if (why) {
        ::close(fd);
        return unusable(path, QLatin1String(why));
    }
    return PrivateFolder(fd, path);
}

std::optional<PlatformError> PrivateFolder::writeFile(const QString &name,
                                                      const QByteArray &bytes) const {
    const QByteArray finalName = QFile::encodeName(name);
    const QString target = m_path + u'/' + name;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = '.' + finalName + '.' + randomSuffix();
        fd = ::openat(m_fd, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return PlatformError::fromErrno(errno,
                                        u"Could not create a file for \u201C" + target + u"\u201D");
    bool written = writeAll(fd, bytes);
    int writeError = errno;
    struct stat mine {};
    if (written && ::fstat(fd, &mine) != 0) {
        written = false;
        writeError = errno;
    }
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlinkat(m_fd, temporary.constData(), 0);
        return PlatformError::fromErrno(written ? closeError : writeError,
                                        u"Could not write \u201C" + target + u"\u201D");
    }
    if (::renameat(m_fd, temporary.constData(), m_fd, finalName.constData()) != 0) {
        const int renameError = errno;
        ::unlinkat(m_fd, temporary.constData(), 0);
        return PlatformError::fromErrno(renameError,
                                        u"Could not replace \u201C" + target + u"\u201D");
    }
    // Whoever opens the document goes by its path: that path must lead to
    // the file written here, not to one put in the folder's place.
    struct stat there {};
    if (::stat(QFile::encodeName(target).constData(), &there) != 0 || there.st_dev != mine.st_dev ||
        there.st_ino != mine.st_ino)
        return PlatformError{QStringLiteral("Tarnel.PrivateFolder"), 2,
                             u"\u201C" + target + u"\u201D no longer leads to the file written"};
    return std::nullopt;
}

uint PrivateFolder::userId() {
    return uint(::geteuid());
}
