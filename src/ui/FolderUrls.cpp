#include "FolderUrls.h"

#include <QFileInfo>

QList<QUrl> FolderUrls::markingFolders(const QList<QUrl> &urls) {
    QList<QUrl> out;
    out.reserve(urls.size());
    for (const QUrl &url : urls) {
        if (url.isLocalFile()) {
            const QString path = url.toLocalFile();
            if (!path.endsWith(u'/') && QFileInfo(path).isDir()) {
                out << QUrl::fromLocalFile(path + u'/');
                continue;
            }
        }
        out << url;
    }
    return out;
}
