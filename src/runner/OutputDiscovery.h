#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// Picks the movie that a conversion wrote into the output folder.
class OutputDiscovery {
public:
    // What a movie entry was when it was noted: its identity, size and
    // modification time. A movie that REDline writes anew or rewrites in
    // place differs in at least one of them.
    struct MovieState {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const MovieState &, const MovieState &) = default;
    };
    // The output folder as it was just before REDline started: its movies
    // by file name, and the names of the claims beside them (see OutputClaim).
    struct Snapshot {
        QHash<QString, MovieState> movies;
        QStringList claims;
    };
    static Snapshot snapshot(const QString &folder);

    // Among the .mov entries that are regular files (not links, pipes or
    // folders; extension compared ignoring case) and that are new or changed
    // since `before`: the newest named exactly the expected name; else the
    // newest whose name begins with it (REDline may add a suffix); else, leaving out the movies
    // named for another conversion (a name holding "_tarnel" that does not begin with the expected
    // name), the newest whose name contains the base name or the expected name; else the newest
    // modified since two seconds before the start. Equal times keep listing order; the last one
    // wins. None when there is no candidate or the folder cannot be listed.
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
