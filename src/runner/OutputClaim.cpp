#include "OutputClaim.h"

#include "platform/ProcessInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <utility>

namespace {

constexpr QByteArrayView kSuffix = ".tarnel-claim";
// A claim file is a few hundred bytes; anything longer is not one of ours.
constexpr qsizetype kMaxClaimBytes = 4096;

} // namespace

OutputClaim::Owner OutputClaim::Owner::self() {
    Owner owner;
    owner.host = ProcessInfo::hostName();
    owner.boot = ProcessInfo::bootId();
    owner.pid = ProcessInfo::currentId();
    owner.processStart = ProcessInfo::startTicks(owner.pid);
    owner.program = QCoreApplication::applicationName();
    owner.claimedAt = QDateTime::currentDateTimeUtc();
    return owner;
}

bool OutputClaim::Owner::isGone() const {
    if (host != ProcessInfo::hostName() || pid <= 0)
        return false;
    if (!boot.isEmpty() && boot != ProcessInfo::bootId())
        return true;
    if (ProcessInfo::isSurelyGone(pid))
        return true;
    // Another process that got the same id later.
    const qint64 start = ProcessInfo::startTicks(pid);
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
    OpenFolder open(folder);
    if (!open.isOpen())
        return PlatformError::fromErrno(open.openError(),
                                        u"Could not open the folder \u201C" + folder + u"\u201D");
    const QByteArray claimName = QFile::encodeName(fileName(name));
    QByteArray text = Owner::self().toText();
    const auto made = open.createFile(claimName.constData(), text);
    if (const auto *failure = std::get_if<OpenFolder::CreateFailure>(&made)) {
        // Held by someone: who, as far as the file says (it may be being
        // written this moment, and then names nobody yet).
        if (failure->error == EEXIST && !failure->whileWriting) {
            const auto held = open.readFile(claimName.constData(), kMaxClaimBytes);
            return Held{Owner::fromText(held ? held->bytes : QByteArray())};
        }
        const QString movie = folder + u'/' + name + u".mov\u201D";
        const QString what = failure->whileWriting ? QStringLiteral("Could not write the claim on")
                                                   : QStringLiteral("Could not claim");
        return PlatformError::fromErrno(failure->error, what + u" \u201C" + movie);
    }
    const auto &st = std::get<OpenFolder::Status>(made);
    return OutputClaim(std::move(open), name, std::move(text), st.device, st.inode);
}

QList<OutputClaim::Abandoned> OutputClaim::collectAbandoned(const QString &folder,
                                                            const QStringList &claimFiles) {
    QList<Abandoned> abandoned;
    if (claimFiles.isEmpty())
        return abandoned;
    const OpenFolder open(folder);
    if (!open.isOpen())
        return abandoned;
    for (const QString &file : claimFiles) {
        const QByteArray name = QFile::encodeName(file);
        if (!isClaimFileName(name))
            continue;
        const auto claim = open.readFile(name.constData(), kMaxClaimBytes);
        if (!claim)
            continue;
        const Owner owner = Owner::fromText(claim->bytes);
        if (!owner.isGone())
            continue;
        // Moved aside before it is removed, and removed only when it is
        // still the file judged: a run that took the name over meanwhile
        // keeps its fresh claim.
        const QByteArray aside = name + ".gone." + QByteArray::number(ProcessInfo::currentId());
        if (!open.rename(name.constData(), aside.constData(), OpenFolder::Replace::yes))
            continue;
        const auto moved = open.status(aside.constData());
        if (moved && moved->device == claim->status.device && moved->inode == claim->status.inode) {
            open.remove(aside.constData());
            abandoned.append({file.mid(1, file.size() - 1 - kSuffix.size()), owner});
        } else {
            open.rename(aside.constData(), name.constData(), OpenFolder::Replace::no);
        }
    }
    return abandoned;
}

OutputClaim::OutputClaim(OutputClaim &&other) noexcept
    : m_folder(std::move(other.m_folder)), m_name(std::move(other.m_name)),
      m_text(std::move(other.m_text)), m_device(other.m_device), m_inode(other.m_inode) {
}

OutputClaim::~OutputClaim() {
    if (!m_folder.isOpen())
        return;
    // Ours when it is the file made (a file made after ours was removed may
    // get the same inode) and still says what we wrote.
    const QByteArray claimName = QFile::encodeName(fileName(m_name));
    const auto claim = m_folder.readFile(claimName.constData(), kMaxClaimBytes);
    if (claim && claim->status.device == m_device && claim->status.inode == m_inode &&
        claim->bytes == m_text)
        m_folder.remove(claimName.constData());
}
