#pragma once

#include <QList>
#include <QUrl>

// Dropped folders and folders picked in a panel arrive without a trailing
// "/"; the queue tells folders from files by that "/" alone, so the views add
// it for every entry that is a folder on disk.
class FolderUrls {
public:
    static QList<QUrl> markingFolders(const QList<QUrl> &urls);
};
