#include "AddFilesDialog.h"

#include "FolderUrls.h"

#include <QAbstractItemView>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QTreeView>

AddFilesDialog::AddFilesDialog(QWidget *parent) : QFileDialog(parent, QStringLiteral("Add Files")) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setLabelText(QFileDialog::Accept, QStringLiteral("Add"));
    for (auto *view : findChildren<QAbstractItemView *>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void AddFilesDialog::accept() {
    // Whatever is selected, files and folders alike; a typed name counts when
    // nothing is selected.
    QList<QUrl> urls;
    if (auto *view = findChild<QListView *>(QStringLiteral("listView"))) {
        auto *model = qobject_cast<QFileSystemModel *>(view->model());
        const QModelIndexList rows = view->selectionModel()->selectedRows();
        for (const QModelIndex &index : rows) {
            if (model)
                urls << QUrl::fromLocalFile(model->filePath(index));
        }
    }
    if (urls.isEmpty())
        urls = selectedUrls();
    m_chosen = FolderUrls::markingFolders(urls);
    QDialog::accept();
}

QList<QUrl> AddFilesDialog::choose(QWidget *parent) {
    AddFilesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosen();
}
