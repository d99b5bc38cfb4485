#include "PlatformWords.h"

#include "model/FileName.h"

#include <QDir>
#include <QFileInfo>

QString PlatformWords::showInFileManager() {
#ifdef Q_OS_MACOS
    return tr("Show in Finder");
#else
    return tr("Show in Files");
#endif
}

QString PlatformWords::revealOutputFolder() {
#ifdef Q_OS_MACOS
    return tr("Reveal output folder in Finder");
#else
    return tr("Show output folder in Files");
#endif
}

QString PlatformWords::useDefaultFolder(const QUrl &defaultFolder) {
#ifdef Q_OS_MACOS
    Q_UNUSED(defaultFolder)
    return tr("Use default folder (Movies ▸ Tarnel)");
#else
    // The videos folder's own name ("Videos", or what the desktop calls it
    // in the user's language).
    const QString parent =
        QFileInfo(QDir::cleanPath(FileName::folderPath(defaultFolder))).dir().dirName();
    return tr("Use default folder (%1 ▸ Tarnel)").arg(parent);
#endif
}
