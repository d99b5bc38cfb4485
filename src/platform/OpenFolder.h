#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <optional>
#include <variant>

// A folder opened once: its entries listed by their raw names, and the files
// in it reached by name relative to the open folder, so a path replaced
// meanwhile (a link put in a parent's place) cannot redirect them.
//
// The listing reads the kernel's records into one buffer and hands out each
// name as a view into it: listing a folder of any size allocates nothing per
// entry. Names are the file system's bytes, not decoded.
//
// Names passed in are single components ("A001_C001.mov"), NUL-terminated.
class OpenFolder {
public:
    // Whether the folder itself may be reached through a link.
    enum class Links { follow, refuse };
    enum class Kind { unknown, file, folder, link, other };

    struct Entry {
        QByteArrayView name;       // valid until the next call of next()
        quint64 inode = 0;         // as the listing gives it
        Kind kind = Kind::unknown; // unknown when the file system does not say
    };
    struct Status {
        Kind kind = Kind::unknown;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0; // since the epoch
    };
    // Read by readFile: the first bytes of a regular file, and its status.
    struct Contents {
        QByteArray bytes;
        Status status;
    };
    // Why createFile failed: the errno, and whether the file was made but
    // could not be written (it is removed again).
    struct CreateFailure {
        int error = 0;
        bool whileWriting = false;
    };
    enum class Replace { yes, no };

    // Opens the folder (never blocking, not inherited by child processes).
    explicit OpenFolder(const QString &path, Links links = Links::follow);
    OpenFolder(OpenFolder &&other) noexcept;
    OpenFolder &operator=(OpenFolder &&) = delete;
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;
    ~OpenFolder();

    bool isOpen() const { return m_fd >= 0; }
    // The errno of a failed open, 0 when open.
    int openError() const { return m_openError; }

    // The next entry of the listing ("." and ".." left out); false at the end
    // or when the folder cannot be read further.
    bool next(Entry &entry);

    // The status of the entry `name` itself: a link is not followed.
    std::optional<Status> status(const char *name) const;
    // The status of the file at `path`, following links.
    static std::optional<Status> statusOf(const QString &path);

    // Makes a new regular file `name` (an existing entry of that name, a link
    // included, fails with EEXIST) holding `bytes`, written in one go.
    std::variant<Status, CreateFailure> createFile(const char *name, QByteArrayView bytes) const;
    // At most `limit` bytes of the regular file `name`, read without
    // following a link or blocking on a pipe; none when it is anything else
    // or cannot be read.
    std::optional<Contents> readFile(const char *name, qsizetype limit) const;
    bool remove(const char *name) const;
    bool rename(const char *from, const char *to, Replace replace) const;

private:
    int m_fd = -1;
    int m_openError = 0;
    std::unique_ptr<char[]> m_buffer; // the listing's records, made on first use
    qsizetype m_filled = 0;
    qsizetype m_offset = 0;
};
