#pragma once

#include <QString>
#include <QUrl>

// Name arithmetic on the last component of a path, the way the system
// names its outputs: "clip.take2.R3D" has the extension "R3D" and the base
// name "clip.take2". A leading dot does not start an extension (".R3D" has
// none), so hidden files keep their whole name.
class FileName {
public:
    static QString lastComponent(const QString &path);
    static QString pathExtension(const QString &path);
    // Last component without its last extension.
    static QString baseName(const QString &path);
    static QString baseName(const QUrl &url) { return baseName(url.toLocalFile()); }
    // True when the URL's path ends with "/": how folders arrive from drops
    // and open panels.
    static bool denotesFolder(const QUrl &url);
    // The file-system path of a folder URL without the trailing "/".
    static QString folderPath(const QUrl &url);
};
