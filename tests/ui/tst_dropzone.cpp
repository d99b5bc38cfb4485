// Clips reaching a window: dropped files and folders, the Add Files panel, and
// what the status line says while a drop is searched and about what it skipped.
#include "AddFilesDialog.h"
#include "DropZone.h"
#include "MainWindow.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "UiFixture.h"
#include "queue/ClipSearch.h"

class DropZoneTest : public UiFixture {
    Q_OBJECT

private Q_SLOTS:
    // A dropped folder (handed over without a trailing "/", as file managers do)
    // lists its clips. While it is searched its window says so; then what the search
    // skipped shows there alone, until the list is emptied.
    void searchAndSkippedClipsShow() {
        TarnelApp app(workspace());
        MainWindow *other = app.newWindow();
        MainWindow *window = app.newWindow();
        const QString card = path("card");
        TestTools::touchRaw(card);
        TestTools::touch(card + "/B.R3D");
        TranscodeQueue *queue = window->view()->queue();
        queue->setLogPath(path("log.txt"));
        // The search, held at its first listing, shows as looking for clips. The hold
        // is bounded so that a failing test still ends.
        const auto held = std::make_shared<QSemaphore>();
        queue->clipSearch()->setBeforeListing(
            [held](const QString &) { held->tryAcquire(1, 60'000); });
        const auto letGo = qScopeGuard([held] { held->release(100); });
        dropUrls(child<DropZone>(window, "dropZone"), {QUrl::fromLocalFile(card)});
        auto *status = child<StatusLine>(window, "statusLine");
        QTRY_VERIFY(status->isVisible());
        QCOMPARE(status->text(), QString("Looking for clips…"));
        QCOMPARE(status->look(), StatusLine::Look::plain);
        QVERIFY(queue->jobs().isEmpty());
        held->release(100);
        QTRY_COMPARE(queue->jobs().size(), 1); // B.R3D
        QTRY_COMPARE(status->look(), StatusLine::Look::warning);
        QVERIFY2(status->text().startsWith("Skipped 1 R3D file(s) whose names are not valid UTF-8"),
                 qPrintable(status->text()));
        QVERIFY(!child<StatusLine>(other, "statusLine")->isVisible());
        QVERIFY(other->view()->queue()->jobs().isEmpty());
        queue->clearList();
        QVERIFY(!status->isVisible());
    }

    // The Add Files panel says "Add" for selected folders and adds several as folders.
    void addPanelPicksFolders() {
        QDir(dir()).mkdir("Card");
        QDir(dir()).mkdir("Card 2.RDM");
        AddFilesDialog panel;
        panel.setDirectory(dir());
        panel.show();
        auto *list = panel.findChild<QListView *>("listView");
        auto *files = qobject_cast<QFileSystemModel *>(list->model());
        QTRY_VERIFY(files->index(path("Card 2.RDM")).isValid());
        list->selectionModel()->select(files->index(path("Card")),
                                       QItemSelectionModel::ClearAndSelect);
        list->selectionModel()->select(files->index(path("Card 2.RDM")),
                                       QItemSelectionModel::Select);
        QPushButton *add = panel.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open);
        QCOMPARE(add->text(), QString("Add"));
        QVERIFY(add->isEnabled());
        add->click();
        QCOMPARE(panel.result(), int(QDialog::Accepted));
        QCOMPARE(panel.chosen(), (QList<QUrl>{QUrl::fromLocalFile(path("Card/")),
                                              QUrl::fromLocalFile(path("Card 2.RDM/"))}));
    }
};

TARNEL_TEST_MAIN_IMPL(DropZoneTest, QApplication)
#include "tst_dropzone.moc"
