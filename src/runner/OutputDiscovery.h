#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// Picks the movie that a conversion wrote into the output folder.
class OutputDiscovery {
public:
    // What a movie entry was when it was noted: the file it named (its
    // inode, as the listing gives it) and, for a movie whose name could make
    // it the result, its size and modification time. A movie that REDline
    // writes anew differs in its inode; one it rewrites in place, in its size
    // or time.
    struct MovieState {
        quint64 inode = 0;
        qint64 size = -1; // -1: not examined
        qint64 modifiedNs = 0;
        friend bool operator==(const MovieState &, const MovieState &) = default;
    };
    // The output folder as it was just before REDline started: its movies
    // by file name (the name's bytes), and the names of the claims beside
    // them (see OutputClaim).
    struct Snapshot {
        QHash<QByteArray, MovieState> movies;
        QStringList claims;
    };
    // Notes the folder's movies. Only those whose name contains `baseName`
    // are examined (one status call each): the others cannot be the result
    // unless they are new, so one listing serves a folder of any size.
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
    static std::optional<QString> findOutputFile(const QString &folder, const QString &baseName,
                                                 const QString &expectedName,
                                                 const QDateTime &startedAt,
                                                 const Snapshot &before = {});
    // The content modification time, or the distant past when it cannot be read.
    static QDateTime modificationDate(const QString &path);
    static QDateTime distantPast();
};
