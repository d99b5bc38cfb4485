// The job list: its model over the queue, the rows as drawn, repainted,
// driven by the keyboard and read by assistive technology.
#include "ColorFromHex.h"
#include "JobListModel.h"
#include "JobListView.h"
#include "JobRowDelegate.h"
#include "JobRowText.h"
#include "Palette.h"
#include "UiFixture.h"
#include "support/OfflineSession.h"

#include <QAbstractItemModelTester>

namespace {

// A row as assistive technology sees it, and its child of that name.
QAccessibleInterface *accessibleRow(JobListView *list, int row) {
    return QAccessible::queryAccessibleInterface(list)->child(row);
}
QAccessibleInterface *accessiblePart(QAccessibleInterface *row, const QString &name) {
    for (int i = 0; i < row->childCount(); ++i)
        if (row->child(i)->text(QAccessible::Name) == name)
            return row->child(i);
    return nullptr;
}

// Collects what a widget repaints.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget *w) { w->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

} // namespace

class JobListTest : public UiFixture {
    Q_OBJECT

private Q_SLOTS:
    // The palette's colours come from hex texts; a translucent one gets fainter.
    void colorFromHex() {
        QCOMPARE(::colorFromHex(u"#E24B4A").rgba(), qRgba(0xE2, 0x4B, 0x4A, 0xFF));
        QCOMPARE(Palette::withAlpha(QColor(0, 0, 0, 200), 0.3).alpha(), 60);
    }

    // A row's badge, sizes and buttons in each state.
    void rowTexts_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<double>("progress");
        QTest::addColumn<qint64>("source");
        QTest::addColumn<qint64>("output");
        QTest::addColumn<QString>("shown"); // badge | sizes | buttons
        const auto row = [](const char *tag, JobStatus status, double progress, qint64 source,
                            qint64 output, const char *shown) {
            QTest::newRow(tag) << int(status) << progress << source << output
                               << QString::fromUtf8(shown);
        };
        using S = JobStatus;
        row("queued", S::queued, 0, 5'400'000'000, 0, "waiting | 5.4 GB | Remove from list");
        row("starting", S::converting, 0, 1000, 0, "starting… | 1 KB | ");
        row("barely started", S::converting, 0.0015, 1000, 0, "converting 0% | 1 KB | ");
        row("converting", S::converting, 0.4267, 1000, 0, "converting 42% | 1 KB | ");
        row("done, smaller", S::done, 1, 10'000'000'000, 3'550'000'000,
            "✓ done | 10 GB → 3.55 GB  (64% smaller) | Send to Final Cut, Show in Files");
        row("in Final Cut, larger", S::sentToFCP, 1, 1000, 1200,
            "✓ in Final Cut | 1 KB → 1 KB | Send to Final Cut, Show in Files");
        row("unknown source size", S::done, 1, 0, 5000,
            "✓ done | Zero KB → 5 KB | Send to Final Cut, Show in Files");
        row("less than 1 % smaller", S::done, 1, 100'000, 99'500,
            "✓ done | 100 KB → 100 KB | Send to Final Cut, Show in Files");
    }
    void rowTexts() {
        QFETCH(int, status);
        QFETCH(double, progress);
        QFETCH(qint64, source);
        QFETCH(qint64, output);
        OfflineSession session(settings(), path("log.txt"));
        TranscodeQueue &queue = session.queue();
        queue.addFiles({QUrl::fromLocalFile("/card/clip.take.R3D")});
        JobListModel model(&session.session);
        TranscodeJob *job = queue.jobs().first();
        job->setSourceSizeBytes(source);
        job->setOutputSizeBytes(output);
        job->setProgress(progress);
        job->setStatus(JobStatus(status));
        announce(job);
        const QModelIndex row = model.index(0);
        QCOMPARE(row.data().toString(), QString("clip.take"));
        QStringList buttons;
        for (JobRowAction action : JobRowDelegate().actions(row))
            buttons << JobRowText::actionName(action);
        QTEST(QString(row.data(JobListModel::BadgeRole).toString() + " | " +
                      row.data(JobListModel::SizesRole).toString() + " | " + buttons.join(", ")),
              "shown");
    }

    // Rows follow the queue; a change in a job announces that job's row alone.
    void modelFollowsTheQueue() {
        const auto url = [](const char *name) { return QUrl::fromLocalFile(u"/card/"_qs + name); };
        OfflineSession session(settings(), path("log.txt"));
        TranscodeQueue &queue = session.queue();
        JobListModel model(&session.session);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Rows inserted (+), removed (-), changed (~), a reset.
        QStringList told;
        const auto rows = [&](const char *kind) {
            return [&told, kind](const QModelIndex &, int first, int last) {
                told << kind + QString::number(first) + u'-' + QString::number(last);
            };
        };
        connect(&model, &QAbstractItemModel::rowsInserted, this, rows("+"));
        connect(&model, &QAbstractItemModel::rowsRemoved, this, rows("-"));
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [&](const QModelIndex &from, const QModelIndex &to) {
                    rows("~")({}, from.row(), to.row());
                });
        connect(&model, &QAbstractItemModel::modelReset, this, [&] { told << "reset"; });

        queue.addFiles({url("A.R3D"), url("B.R3D")});
        queue.addFiles({url("C.R3D"), url("A.R3D")}); // A is listed already
        TranscodeJob *b = queue.jobs()[1];
        b->setStatus(JobStatus::converting);
        announce(b);
        queue.remove(queue.jobs()[0]);
        b->setErrorMessage("at row 0 now");
        announce(b);
        queue.addFiles({url("D.R3D")});
        queue.clearList(); // keeps the converting job
        QCOMPARE(model.job(0), b);
        QCOMPARE(told, (QStringList{"+0-1", "+2-2", "~1-1", "-0-0", "~0-0", "+2-2", "-1-2"}));
    }

    // A job's change repaints its row alone; a row grown by its error moves the rows
    // below, and is measured again when the error changes. (How an error without
    // breaks wraps is checked on the small screen of tst_desktop.)
    void listRepaintsAndMeasuresOneRow() {
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        JobListView *list = view->jobList();
        TranscodeJob *a = view->queue()->jobs()[0];
        a->setStatus(JobStatus::converting);
        announce(a);
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        QCoreApplication::processEvents();
        const auto row = [&](int r) { return list->visualRect(list->model()->index(r, 0)); };
        const QRect b = row(1), c = row(2);

        PaintRecorder paints(list->viewport());
        a->setSourceSizeBytes(2'000'000);
        announce(a);
        QTRY_VERIFY(!paints.painted.isEmpty());
        QVERIFY(row(0).contains(paints.painted.boundingRect()));

        a->setErrorMessage("REDline exited with code 3:\ndecode error\ngiving up");
        a->setStatus(JobStatus::failed);
        announce(a);
        const int growth = row(1).top() - b.top();
        QVERIFY(growth > 0);
        QCOMPARE(row(1).height(), b.height());
        QCOMPARE(row(2), c.translated(0, growth));
        QTRY_COMPARE(list->height(), row(2).bottom() + 1);

        a->setErrorMessage(QString::fromLatin1(QByteArray(600, '\0').toBase64())); // one word
        announce(a);
        QTRY_COMPARE(list->height(), row(2).bottom() + 1); // laid out again
        QCOMPARE(view->findChild<QScrollArea *>()->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(row(0).width(), list->viewport()->width());
    }

    // Tab, arrows, Space, Return and Delete drive the row buttons (Return not Start).
    void keyboardDrivesTheButtons() {
        settings().setRedlinePath(TestTools::redlineSim());
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        finish(view->queue()->jobs()[1], "/movies/B.mov");
        JobListView *list = view->jobList();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        list->setFocus(Qt::TabFocusReason);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(list->focusedAction(), JobRowAction::remove);

        QTest::keyClick(list, Qt::Key_Tab); // the done row's first button
        QCOMPARE(list->currentIndex().row(), 1);
        QCOMPARE(list->focusedAction(), JobRowAction::sendToFCP);
        QTest::keyClick(list, Qt::Key_Right);
        QCOMPARE(list->focusedAction(), JobRowAction::reveal);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(workspace().revealed, QStringList{"/movies/B.mov"});
        QVERIFY(!view->queue()->isConverting()); // Start was not pressed
        QTest::keyClick(list, Qt::Key_Delete);   // a done row is not removed
        QCOMPARE(view->queue()->jobs().size(), 3);

        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->focusedAction(), JobRowAction::remove);
        QTest::keyClick(list, Qt::Key_Delete);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(view->queue()->jobs().size(), 1);
        QCOMPARE(view->queue()->jobs()[0]->sourceURL().fileName(), QString("B.R3D"));
        QCOMPARE(list->focusedAction(), JobRowAction::sendToFCP);
        QTest::keyClick(list, Qt::Key_Tab);
        QCOMPARE(list->focusedAction(), JobRowAction::reveal);
        QTest::keyClick(list, Qt::Key_Tab); // past the last button: out of the list
        QVERIFY(!list->hasFocus());
    }

    // Assistive technology reads each row and presses its buttons by the names drawn.
    void accessibleRowsAndActions() {
        auto view = viewWith({"A.R3D", "B.R3D", "C.R3D"});
        finish(view->queue()->jobs()[1], "/movies/B.mov");
        TranscodeJob *c = view->queue()->jobs()[2];
        c->setErrorMessage("REDline was not found");
        c->setStatus(JobStatus::failed);
        announce(c);
        JobListView *list = view->jobList();
        QAccessibleInterface *rows = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(rows->role(), QAccessible::List);
        QCOMPARE(rows->childCount(), 3);

        const QString send = JobRowText::actionName(JobRowAction::sendToFCP),
                      show = JobRowText::actionName(JobRowAction::reveal),
                      remove = JobRowText::actionName(JobRowAction::remove);
        QAccessibleInterface *b = accessibleRow(list, 1);
        QCOMPARE(b->text(QAccessible::Name), QString("B"));
        QCOMPARE(b->text(QAccessible::Description), QString("✓ done, 1 KB"));
        QCOMPARE(b->actionInterface()->actionNames(), (QStringList{send, show}));
        QAccessibleInterface *reveal = accessiblePart(b, show);
        QVERIFY(reveal);
        QCOMPARE(reveal->role(), QAccessible::Button);
        reveal->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(workspace().revealed, QStringList{"/movies/B.mov"});

        QAccessibleInterface *failed = accessibleRow(list, 2);
        for (const char *text : {"failed", "1 KB", "REDline was not found"})
            QCOMPARE(accessiblePart(failed, text)->role(), QAccessible::StaticText);
        QVERIFY(failed->actionInterface()->actionNames().isEmpty());

        QAccessibleInterface *a = accessibleRow(list, 0);
        QCOMPARE(a->actionInterface()->actionNames(), QStringList{remove});
        a->actionInterface()->doAction(remove);
        QCOMPARE(rows->childCount(), 2);
        QCOMPARE(accessibleRow(list, 0)->text(QAccessible::Name), QString("B"));
    }
};

TARNEL_TEST_MAIN_IMPL(JobListTest, QApplication)
#include "tst_joblist.moc"
