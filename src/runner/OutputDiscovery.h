#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Picks the movie that a conversion wrote into the output folder.
class OutputDiscovery {
public:
    // Among the .mov entries that are regular files (not links, pipes or
    // folders; extension compared ignoring case), the newest
    // whose name contains the base name or the expected name; when none
    // matches by name, the newest modified since two seconds before the
    // start. Equal times keep listing order; the last one wins. None when
    // there is no candidate or the folder cannot be listed.
    static std::optional<QString> findOutputFile(const QString &folder, const QString &baseName,
                                                 const QString &expectedName,
                                                 const QDateTime &startedAt);
    // The content modification time, or the distant past when it cannot be read.
    static QDateTime modificationDate(const QString &path);
    static QDateTime distantPast();
};
