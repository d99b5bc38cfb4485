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
    // The panel renames its button "Open" whenever a folder is selected (it
    // would enter the folder); here a folder is added like a file, so the
    // prompt is put back after each of those changes.
    const auto keepPrompt = [this] { setLabelText(QFileDialog::Accept, QStringLiteral("Add")); };
    if (auto *name = findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        connect(name, &QLineEdit::textChanged, this, keepPrompt);
    if (auto *list = findChild<QListView *>(QStringLiteral("listView"))) {
        connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, keepPrompt);
        connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, keepPrompt);
    }
    connect(this, &QFileDialog::directoryEntered, this, keepPrompt);
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
