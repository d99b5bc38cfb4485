#pragma once

#include "platform/PlatformError.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <variant>

// A folder that only the current user can write to, held open. A folder is
// accepted only when it is a real folder (not a link to one), owned by this
// user and not writable by group or others, and when its parent keeps others
// from replacing it: the parent belongs to this user or to root, and if
// others may write to it, it is sticky (as /tmp is). A missing folder is
// created with mode 0700. Files are written through the open folder, never
// through a path that someone else could redirect, and the path handed on
// is checked to lead to the file written.
class PrivateFolder {
public:
    // Opens the folder at `path`, creating it (not its parents) when missing.
    static std::variant<PrivateFolder, PlatformError> open(const QString &path);
    // Creates a new folder with a unique name: `prefix` followed by six
    // random characters.
    static std::variant<PrivateFolder, PlatformError> createUnique(const QString &prefix);
    // Why a folder in `parent` could be replaced by another user (the parent
    // belongs to someone else, or others may write to it and it is not
    // sticky), or empty when it cannot.
    static QString parentProblem(const QString &parent);
    // The id of the user this process runs as, which names a folder of the
    // user's own in a shared parent.
    static uint userId();

    PrivateFolder(PrivateFolder &&other) noexcept;
    PrivateFolder &operator=(PrivateFolder &&) = delete;
    PrivateFolder(const PrivateFolder &) = delete;
    PrivateFolder &operator=(const PrivateFolder &) = delete;
    ~PrivateFolder();

    QString path() const { return m_path; }

    // Gives the file `name` the content `bytes` in one step: the bytes go to
    // a new file under a unique temporary name (created exclusively, never
    // through an existing entry), which is then renamed over `name`. Renaming
    // replaces whatever entry had that name; a link there is replaced, not
    // followed.
    std::optional<PlatformError> writeFile(const QString &name, const QByteArray &bytes) const;

private:
    PrivateFolder(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    static std::variant<PrivateFolder, PlatformError> verify(const QString &path);

    int m_fd = -1;
    QString m_path;
};
