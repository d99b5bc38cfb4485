#pragma once

#include "platform/OpenFolder.h"
#include "platform/PlatformError.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

// An exclusive claim on a movie's name in an output folder, held while
// REDline writes that movie, so that two conversions (two windows, two
// tarnel-cli processes, two machines sharing a volume) never write one file.
//
// The claim is a small file beside the movie, ".<name>.tarnel-claim",
// created with O_EXCL and holding its owner: host, boot, process id and the
// process's start, and when the claim was taken. It is removed when the
// conversion ends (when this object goes away). A claim whose owner is gone
// (this machine, and the process is no longer there) marks a conversion
// that never finished.
class OutputClaim {
public:
    struct Owner {
        QString host;
        QString boot; // this boot's id; another boot's process is gone
        qint64 pid = 0;
        qint64 processStart = 0; // the process's start in clock ticks since boot
        QString program;
        QDateTime claimedAt;

        // This process.
        static Owner self();
        // True only when the owner surely no longer runs: it ran on this
        // host, and in another boot or as a process that is not there now.
        // An owner on another host cannot be judged and counts as running.
        bool isGone() const;
        // "tarnel-cli, process 1234 on host, since 2026-…"
        QString describe() const;

        QByteArray toText() const;
        static Owner fromText(const QByteArray &text);
    };

    // A claim some other conversion holds.
    struct Held {
        Owner owner;
    };
    // A claim left by a conversion that never finished, now removed.
    struct Abandoned {
        QString movieName; // without extension
        Owner owner;
    };

    // Takes the claim on `name` (without extension) in `folder`. Held when
    // another claim is there (whoever holds it, even this process); a
    // platform error when the claim file cannot be made.
    static std::variant<OutputClaim, Held, PlatformError> take(const QString &folder,
                                                               const QString &name);
    // Among the claim files named in `claimFiles` (as OutputDiscovery's
    // snapshot lists them), those whose owner is gone: each is removed, so it
    // is reported once, and returned. The movie it left is not touched.
    static QList<Abandoned> collectAbandoned(const QString &folder, const QStringList &claimFiles);

    static QString fileName(const QString &name);
    static bool isClaimFileName(QByteArrayView fileName);

    OutputClaim(OutputClaim &&other) noexcept;
    OutputClaim &operator=(OutputClaim &&) = delete;
    OutputClaim(const OutputClaim &) = delete;
    OutputClaim &operator=(const OutputClaim &) = delete;
    // Removes the claim file, if it is still the one this object made.
    ~OutputClaim();

    QString name() const { return m_name; }

private:
    OutputClaim(OpenFolder folder, QString name, QByteArray text, quint64 device, quint64 inode)
        : m_folder(std::move(folder)), m_name(std::move(name)), m_text(std::move(text)),
          m_device(device), m_inode(inode) {}

    OpenFolder m_folder; // not open once moved from
    QString m_name;
    QByteArray m_text; // what the claim file says
    quint64 m_device = 0;
    quint64 m_inode = 0;
};
