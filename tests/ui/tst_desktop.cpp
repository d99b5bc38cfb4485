// The main window at twice the pixel density on a 640 × 480 logical screen, with a
// 13-point font, in light and dark themes.
#include "AppMainView.h"
#include "JobListModel.h"
#include "JobListView.h"
#include "JobRowDelegate.h"
#include "MainWindow.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "UiText.h"
#include "VerticalScrollArea.h"
#include "WrappedText.h"
#include "model/TranscodeJob.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"
#include "support/OfflineSession.h"
#include "support/RecordingWorkspace.h"
#include "support/TestEnvironment.h"
#include "support/TestTools.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// Relative luminance and contrast ratio as accessibility guidelines define them.
double luminance(const QColor &color) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}
double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette darkPalette() {
    QPalette p(QColor(0x3c, 0x3c, 0x3c), QColor(0x35, 0x35, 0x35));
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            p.setColor(group, role, QColor(0xee, 0xee, 0xee));
    }
    return p;
}

// A job in every state; the failed one's error ends in a line break, as REDline's do.
void fillList(TranscodeQueue *queue, const QString &dir) {
    QList<QUrl> files;
    for (const QString name : {"queued", "converting", "done", "sent", "failed"}) {
        files << QUrl::fromLocalFile(dir + u'/' + name + u"_A001_C002_0101AB_long_clip_name.R3D");
        TestTools::touch(files.last().toLocalFile(), 1000);
    }
    queue->addFiles(files);
    const QList<TranscodeJob *> &jobs = queue->jobs();
    jobs[1]->setStatus(JobStatus::converting);
    jobs[1]->setProgress(0.42);
    for (int i : {2, 3}) {
        jobs[i]->setOutputSizeBytes(400);
        jobs[i]->setProgress(1.0);
        jobs[i]->setStatus(i == 2 ? JobStatus::done : JobStatus::sentToFCP);
    }
    jobs[4]->setProgress(0.3);
    jobs[4]->setErrorMessage(u"REDline exited with code 3:\nR3D SDK: decode error in " +
                             QString(160, u'x') + u".R3D\n");
    jobs[4]->setStatus(JobStatus::failed);
    for (TranscodeJob *job : jobs)
        Q_EMIT queue->jobUpdated(job);
}

// Nothing is cut at the right edge: widgets, label and button texts, rows' badges,
// buttons and error lines all fit, and the status line has every line it needs.
void verifyWhole(MainWindow *window) {
    QCoreApplication::processEvents();
    auto *body = window->findChild<VerticalScrollArea *>(QStringLiteral("body"));
    QVERIFY(body && !body->horizontalScrollBar()->isVisible());
    QVERIFY(body->widget()->width() <= body->viewport()->width());
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->isWindow())
            continue;
        const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        QVERIFY2(r.left() >= 0 && r.right() < window->width(),
                 qPrintable(w->objectName() + u' ' + w->metaObject()->className()));
        const auto *label = qobject_cast<QLabel *>(w);
        if (label && !label->wordWrap() && label->textFormat() != Qt::RichText &&
            !label->inherits("ElidedLabel"))
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        if (const auto *button = qobject_cast<QPushButton *>(w))
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= button->width(),
                     qPrintable(button->text()));
    }
    JobListView *list = window->view()->jobList();
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        const QStyleOptionViewItem option = list->rowOption(index);
        const JobRowDelegate::Layout l = list->rowDelegate()->layout(option, index);
        QVERIFY(l.badge.left() > l.name.left());
        for (const QRect &part : {l.badge, l.remove, l.send, l.reveal})
            QVERIFY(part.isEmpty() ||
                    (part.left() >= option.rect.left() && part.right() < option.rect.right()));
        const QString notice = index.data(JobListModel::NoticeRole).toString();
        if (notice.isEmpty())
            continue;
        QTextLayout lines;
        const int height = WrappedText::layout(lines, notice, UiText::font(10), l.notice.width());
        QVERIFY(l.notice.height() >= height);
        for (int i = 0; i < lines.lineCount(); ++i)
            QVERIFY(lines.lineAt(i).naturalTextWidth() <= l.notice.width());
        QVERIFY(lines.lineAt(lines.lineCount() - 1).naturalTextWidth() > 0);
    }
    auto *status = window->findChild<StatusLine *>(QStringLiteral("statusLine"));
    QVERIFY(status->isVisible());
    QVERIFY(status->height() >= status->heightForWidth(status->width()));
}

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    RecordingWorkspace m_workspace;

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        TestEnvironment::instance().clearSettings();
    }

    // The window fits a 640 × 480 screen (with a title bar), whole there and wider.
    void windowFitsASmallScreen() {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        QCOMPARE(qApp->primaryScreen()->availableSize(), QSize(640, 480));
        QCOMPARE(QFontInfo(qApp->font()).pointSize(), 13);
        TarnelApp app(m_workspace);
        const QString folder = m_dir->filePath("Output folder with a rather long name/ProRes");
        QDir().mkpath(folder);
        app.settings()->setOutputDirectory(QUrl::fromLocalFile(folder + u'/'));
        app.settings()->setRedlinePath(m_dir->filePath("no REDline")); // the long link shows
        MainWindow *window = app.newWindow();
        TranscodeQueue *queue = window->view()->queue();
        queue->setLogPath(m_dir->filePath("log.txt"));
        fillList(queue, m_dir->path());
        // A long-named spanned clip with a piece missing.
        const QString name(90, u's');
        const QString clip = m_dir->filePath(name + ".RDC/" + name + "_001.R3D");
        QDir().mkpath(m_dir->filePath(name + ".RDC"));
        TestTools::touch(clip);
        TestTools::touch(QString(clip).replace("_001", "_003"));
        queue->addFiles({QUrl::fromLocalFile(clip)});
        QVERIFY(QTest::qWaitForWindowExposed(window));

        const QSize screen = qApp->primaryScreen()->availableSize();
        QVERIFY(window->width() <= screen.width() && window->height() <= screen.height() - 40);
        const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
        QVERIFY2(minimum.width() <= 640 && minimum.height() <= 480 - 40,
                 qPrintable(QStringLiteral("%1 × %2").arg(minimum.width()).arg(minimum.height())));
        window->resize(minimum);
        verifyWhole(window);
        if (QTest::currentTestFailed())
            return;

        JobListView *list = window->view()->jobList();
        const int narrow = list->visualRect(list->model()->index(4, 0)).height();
        window->resize(1200, 900);
        verifyWhole(window);
        QVERIFY(list->visualRect(list->model()->index(4, 0)).height() < narrow);
        window->close();
    }

    // Status words and error text contrast at least 4.5:1 with their row, as rendered.
    void rowTextContrast_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void rowTextContrast() {
        QFETCH(bool, dark);
        UserSettings settings;
        OfflineSession session(settings, m_dir->filePath("log.txt"));
        fillList(&session.queue(), m_dir->path());
        JobListModel model(&session.session);
        JobListView list;
        list.setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
        list.setModel(&model);
        list.resize(480, 100);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.resize(480, list.sizeHint().height());
        QCoreApplication::processEvents();
        const QImage image = list.grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row, 0);
            const JobRowDelegate::Layout l =
                list.rowDelegate()->layout(list.rowOption(index), index);
            for (const QRect &text : {l.badge, l.notice}) {
                if (text.isEmpty())
                    continue;
                const QRect pixels =
                    QRect((QRectF(text).topLeft() * ratio).toPoint(), text.size() * ratio)
                        .intersected(image.rect());
                QHash<QRgb, int> counts;
                for (int y = pixels.top(); y <= pixels.bottom(); ++y)
                    for (int x = pixels.left(); x <= pixels.right(); ++x)
                        ++counts[image.pixel(x, y)];
                QRgb background = 0;
                for (auto it = counts.cbegin(); it != counts.cend(); ++it)
                    if (it.value() > counts.value(background))
                        background = it.key();
                double ink = 1.0;
                for (auto it = counts.cbegin(); it != counts.cend(); ++it)
                    ink = std::max(ink, contrast(QColor(it.key()), QColor(background)));
                const QString why = QString::asprintf("row %d: %.2f:1 on %s", row, ink,
                                                      qPrintable(QColor(background).name()));
                QVERIFY2(ink >= 4.5, qPrintable(why));
            }
        }
    }
};

// The screen and the font are chosen before the application exists.
int main(int argc, char *argv[]) {
    TestEnvironment::instance();
    QTemporaryDir config;
    QFile screens(config.filePath("screens.json"));
    if (!screens.open(QIODevice::WriteOnly) ||
        screens.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1280,
            "height": 960, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        qFatal("cannot write the screen configuration");
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setPointSize(13);
    QApplication::setFont(font);
    DesktopTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
