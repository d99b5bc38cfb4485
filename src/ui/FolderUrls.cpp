#include "FolderUrls.h"

#include "model/FileName.h"

#include <QFileDialog>
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

QUrl FolderUrls::chooseOutputFolder(QWidget *parent, const QUrl &current) {
    QFileDialog dialog(parent, tr("Select Output Folder"), FileName::folderPath(current));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setLabelText(QFileDialog::Accept, tr("Select Output Folder"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty())
        return {};
    return markingFolders({dialog.selectedUrls().first()}).first();
}
