#include "AddFilesDialog.h"

#include "FolderUrls.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTreeView>

AddFilesDialog::AddFilesDialog(QWidget *parent) : QFileDialog(parent, tr("Add Files")) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setLabelText(QFileDialog::Accept, tr("Add"));
    for (auto *view : findChildren<QAbstractItemView *>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The panel renames its button "Open" whenever a folder is selected (it
    // would enter the folder), and turns it off when several folders are;
    // here folders are added like files, so the prompt is put back and the
    // button turned on for any choice after each of those changes.
    const auto keepPrompt = [this] {
        setLabelText(QFileDialog::Accept, tr("Add"));
        auto *buttons = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *add = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        auto *list = findChild<QListView *>(QStringLiteral("listView"));
        auto *name = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (add && list && name)
            add->setEnabled(list->selectionModel()->hasSelection() || !name->text().isEmpty());
    };
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
        // A list selects the name column only, not whole rows.
        const QModelIndexList selected = view->selectionModel()->selectedIndexes();
        for (const QModelIndex &index : selected) {
            if (model && index.column() == 0)
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
