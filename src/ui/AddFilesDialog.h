#pragma once

#include <QFileDialog>
#include <QList>
#include <QUrl>

// The "Add Files…" panel: several files and folders at once, in one panel
// (the platform's own panel picks either files or folders, not both).
class AddFilesDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit AddFilesDialog(QWidget *parent = nullptr);

    // Runs the panel; the chosen items in order, folders marked with a
    // trailing "/", or nothing when cancelled.
    static QList<QUrl> choose(QWidget *parent);
    QList<QUrl> chosen() const { return m_chosen; }

public Q_SLOTS:
    void accept() override;

private:
    QList<QUrl> m_chosen;
};
