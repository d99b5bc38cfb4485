#pragma once

#include <QCoreApplication>
#include <QList>
#include <QUrl>

class QWidget;

// Dropped folders and folders picked in a panel arrive without a trailing
// "/"; the queue tells folders from files by that "/" alone, so the views add
// it for every entry that is a folder on disk.
class FolderUrls {
    Q_DECLARE_TR_FUNCTIONS(FolderUrls)

public:
    static QList<QUrl> markingFolders(const QList<QUrl> &urls);

    // Runs a panel that picks one folder, starting at `current`, with the
    // prompt "Select Output Folder"; the chosen folder as a folder URL, or an
    // empty URL when cancelled.
    static QUrl chooseOutputFolder(QWidget *parent, const QUrl &current);
};
