#include "OutputClaim.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr QByteArrayView kSuffix = ".tarnel-claim";
// A claim file is a few hundred bytes; anything longer is not one of ours.
constexpr qsizetype kMaxClaimBytes = 4096;

QByteArray readSmallFile(const char *path) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(kMaxClaimBytes);
}

QString bootId() {
    return QString::fromLatin1(readSmallFile("/proc/sys/kernel/random/boot_id")).trimmed();
}

QString hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return QStringLiteral("localhost");
    return QString::fromLocal8Bit(name);
}

// A process's start in clock ticks since boot (field 22 of its stat file),
// or 0 when there is no such process.
qint64 processStartTicks(qint64 pid) {
    const QByteArray stat =
        readSmallFile(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData());
    // The command name (field 2) may hold spaces and parentheses: the fields
    // after it start past the last ')'.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // Field 3 (state) is fields[0]; field 22 is fields[19].
    return fields.size() > 19 ? fields[19].toLongLong() : 0;
}

// A claim is a few hundred bytes: one write puts it all, or the claim fails.
bool writeWhole(int fd, const QByteArray &bytes) {
    ssize_t n;
    do {
        n = ::write(fd, bytes.constData(), size_t(bytes.size()));
    } while (n < 0 && errno == EINTR);
    return n == bytes.size();
}

// Reads a claim file through the open folder, never following a link and
// never blocking on a pipe. False when it is not a regular file.
bool readClaim(int folderFd, const QByteArray &name, QByteArray *text, struct stat *st) {
    const int fd =
        ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fstat(fd, st) == 0 && S_ISREG(st->st_mode);
    if (ok) {
        text->resize(kMaxClaimBytes);
        const ssize_t n = ::read(fd, text->data(), size_t(kMaxClaimBytes));
        ok = n >= 0;
        text->resize(ok ? qsizetype(n) : 0);
    }
    ::close(fd);
    return ok;
}

} // namespace

OutputClaim::Owner OutputClaim::Owner::self() {
    Owner owner;
    owner.host = hostName();
    owner.boot = bootId();
    owner.pid = ::getpid();
    owner.processStart = processStartTicks(owner.pid);
    owner.program = QCoreApplication::applicationName();
    owner.claimedAt = QDateTime::currentDateTimeUtc();
    return owner;
}

bool OutputClaim::Owner::isGone() const {
    if (host != hostName() || pid <= 0)
        return false;
    if (!boot.isEmpty() && boot != bootId())
        return true;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return true;
    // Another process that got the same id later.
    const qint64 start = processStartTicks(pid);
    return start != 0 && processStart != 0 && start != processStart;
}

QString OutputClaim::Owner::describe() const {
    const QString who = program.isEmpty() ? QStringLiteral("Tarnel") : program;
    QString text = who + u", process " + QString::number(pid) + u" on " + host;
    if (claimedAt.isValid())
        text += u", since " + claimedAt.toString(Qt::ISODate);
    return text;
}

QByteArray OutputClaim::Owner::toText() const {
    return "host=" + host.toUtf8() + "\nboot=" + boot.toUtf8() +
           "\npid=" + QByteArray::number(pid) +
           "\nprocessStart=" + QByteArray::number(processStart) + "\nprogram=" + program.toUtf8() +
           "\nclaimedAt=" + claimedAt.toString(Qt::ISODateWithMs).toUtf8() + '\n';
}

OutputClaim::Owner OutputClaim::Owner::fromText(const QByteArray &text) {
    Owner owner;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "host")
            owner.host = value;
        else if (key == "boot")
            owner.boot = value;
        else if (key == "pid")
            owner.pid = value.toLongLong();
        else if (key == "processStart")
            owner.processStart = value.toLongLong();
        else if (key == "program")
            owner.program = value;
        else if (key == "claimedAt")
            owner.claimedAt = QDateTime::fromString(value, Qt::ISODateWithMs);
    }
    return owner;
}

QString OutputClaim::fileName(const QString &name) {
    return u'.' + name + QString::fromLatin1(kSuffix);
}

bool OutputClaim::isClaimFileName(QByteArrayView fileName) {
    return fileName.size() > kSuffix.size() + 1 && fileName.startsWith('.') &&
           fileName.endsWith(kSuffix);
}

std::variant<OutputClaim, OutputClaim::Held, PlatformError> OutputClaim::take(const QString &folder,
                                                                              const QString &name) {
    const int folderFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return PlatformError::fromErrno(errno,
                                        u"Could not open the folder \u201C" + folder + u"\u201D");
    const QByteArray claimName = QFile::encodeName(fileName(name));
    const int fd = ::openat(folderFd, claimName.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST) {
            // Held by someone: who, as far as the file says (it may be
            // being written this moment, and then names nobody yet).
            QByteArray text;
            struct stat st {};
            readClaim(folderFd, claimName, &text, &st);
            ::close(folderFd);
            return Held{Owner::fromText(text)};
        }
        ::close(folderFd);
        return PlatformError::fromErrno(error, u"Could not claim \u201C" + folder + u'/' + name +
                                                   u".mov\u201D");
    }
    struct stat st {};
    QByteArray text = Owner::self().toText();
    const bool written = writeWhole(fd, text) && ::fstat(fd, &st) == 0;
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        ::unlinkat(folderFd, claimName.constData(), 0);
        ::close(folderFd);
        return PlatformError::fromErrno(written ? EIO : writeError,
                                        u"Could not write the claim on \u201C" + folder + u'/' +
                                            name + u".mov\u201D");
    }
    return OutputClaim(folderFd, name, std::move(text), quint64(st.st_dev), quint64(st.st_ino));
}

QList<OutputClaim::Abandoned> OutputClaim::collectAbandoned(const QString &folder,
                                                            const QStringList &claimFiles) {
    QList<Abandoned> abandoned;
    if (claimFiles.isEmpty())
        return abandoned;
    const int folderFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return abandoned;
    for (const QString &file : claimFiles) {
        const QByteArray name = QFile::encodeName(file);
        if (!isClaimFileName(name))
            continue;
        QByteArray text;
        struct stat st {};
        if (!readClaim(folderFd, name, &text, &st))
            continue;
        const Owner owner = Owner::fromText(text);
        if (!owner.isGone())
            continue;
        // Moved aside before it is removed, and removed only when it is
        // still the file judged: a run that took the name over meanwhile
        // keeps its fresh claim.
        const QByteArray aside = name + ".gone." + QByteArray::number(::getpid());
        if (::renameat(folderFd, name.constData(), folderFd, aside.constData()) != 0)
            continue;
        struct stat moved {};
        if (::fstatat(folderFd, aside.constData(), &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
            moved.st_dev == st.st_dev && moved.st_ino == st.st_ino) {
            ::unlinkat(folderFd, aside.constData(), 0);
            abandoned.append({file.mid(1, file.size() - 1 - kSuffix.size()), owner});
        } else {
            ::renameat2(folderFd, aside.constData(), folderFd, name.constData(), RENAME_NOREPLACE);
        }
    }
    ::close(folderFd);
    return abandoned;
}

OutputClaim::OutputClaim(OutputClaim &&other) noexcept
    : m_folderFd(std::exchange(other.m_folderFd, -1)), m_name(std::move(other.m_name)),
      m_text(std::move(other.m_text)), m_device(other.m_device), m_inode(other.m_inode) {
}

OutputClaim::~OutputClaim() {
    if (m_folderFd < 0)
        return;
    // Ours when it is the file made (a file made after ours was removed may
    // get the same inode) and still says what we wrote.
    const QByteArray claimName = QFile::encodeName(fileName(m_name));
    QByteArray text;
    struct stat st {};
    if (readClaim(m_folderFd, claimName, &text, &st) && quint64(st.st_dev) == m_device &&
        quint64(st.st_ino) == m_inode && text == m_text)
        ::unlinkat(m_folderFd, claimName.constData(), 0);
    ::close(m_folderFd);
}
