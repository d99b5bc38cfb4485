#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

// Picks the movie that a conversion wrote into the output folder.
class OutputDiscovery {
public:
    // What a movie whose name could make it the result was when it was
    // noted: a movie that REDline writes anew differs in its inode; one it
    // rewrites in place, in its size or time.
    struct MovieState {
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const MovieState &, const MovieState &) = default;
    };
    // The output folder as it was just before REDline started. The movies
    // whose name holds the base name are examined (one status call each) and
    // kept by name; every other movie is kept as the inode the listing gives
    // and a hash of its name, which is all it takes to tell it is not new.
    // So one listing, allocating nothing per movie, notes a folder of any
    // size. Beside them, the names of the claims there (see OutputClaim).
    struct Snapshot {
        QByteArray baseName; // the name's bytes that chose the movies examined
        bool taken = false;  // false: nothing was noted, every movie is new
        QHash<QByteArray, MovieState> examined;
        std::vector<std::pair<quint64, quint64>> others; // inode, name hash
        QStringList claims;

        qsizetype movieCount() const { return examined.size() + qsizetype(others.size()); }
    };
    // Notes the folder's movies; see Snapshot.
    static Snapshot snapshot(const QString &folder, const QString &baseName);

    // Among the .mov entries that are regular files (not links, pipes or
    // folders; extension compared ignoring case) and that are new since
    // `before` (or changed, for those it examined): the newest named exactly
    // the expected name; else the newest whose name begins with it (REDline
    // may add a suffix); else, leaving out the movies named for another
    // conversion (a name holding "_tarnel" that does not begin with the
    // expected name), the newest whose name contains the base name or the
    // expected name; else the newest modified since two seconds before the
    // start. Equal times keep listing order; the last one wins. None when
    // there is no candidate or the folder cannot be listed.
    //
    // A movie that was already there unchanged before REDline started is
    // never taken, however well its name matches: it is not this
    // conversion's movie.
    //
    // The usual case, the movie written under the expected name with the
    // extension as REDline spells it, is settled by looking that name up:
    // the folder is listed only when it is missing, not new, or spelt in
    // more than one way, so the cost does not grow with the folder.
    static std::optional<QString> findOutputFile(const QString &folder, const QString &baseName,
                                                 const QString &expectedName,
                                                 const QDateTime &startedAt,
                                                 const Snapshot &before);
    // The same with nothing noted before: every movie is new.
    static std::optional<QString> findOutputFile(const QString &folder, const QString &baseName,
                                                 const QString &expectedName,
                                                 const QDateTime &startedAt);
    // The content modification time, or the distant past when it cannot be read.
    static QDateTime modificationDate(const QString &path);
    static QDateTime distantPast();
};
