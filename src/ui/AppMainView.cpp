#include "AppMainView.h"

#include "AddFilesDialog.h"
#include "DropZone.h"
#include "JobListModel.h"
#include "JobListView.h"
#include "Palette.h"
#include "SettingsCard.h"
#include "Spinner.h"
#include "UiText.h"
#include "VerticalScrollArea.h"
#include "platform/ByteCountFormatter.h"
#include "platform/Workspace.h"
#include "queue/ConversionSession.h"
#include "queue/RunMonitor.h"
#include "queue/TranscodeQueue.h"
#include "runner/REDlineLocator.h"
#include "settings/UserSettings.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

const QUrl kDownloadPage(QStringLiteral("https://www.red.com/downloads"));

QFrame *divider(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    // A faint line of the text colour, on light and dark themes alike.
    QPalette colors = line->palette();
    colors.setColor(QPalette::WindowText,
                    Palette::withAlpha(parent->palette().color(QPalette::WindowText), 0.16));
    line->setPalette(colors);
    return line;
}

// The red tile with the "HeaderMark" picture, or a plain "T" if the picture
// cannot be loaded.
class MarkTile : public QWidget {
public:
    explicit MarkTile(QWidget *parent)
        : QWidget(parent), m_mark(QStringLiteral(":/HeaderMark.png")) {
        setFixedSize(38, 38);
        setAccessibleName(QStringLiteral("Tarnel"));
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        QPainterPath tile;
        tile.addRoundedRect(QRectF(rect()), 10, 10);
        p.fillPath(tile, Palette::red());
        const QRect inner((width() - 26) / 2, (height() - 26) / 2, 26, 26);
        if (!m_mark.isNull()) {
            p.drawPixmap(inner, m_mark);
        } else {
            p.setPen(Qt::white);
            p.setFont(UiText::font(18, true));
            p.drawText(rect(), Qt::AlignCenter, QStringLiteral("T"));
        }
    }

private:
    QPixmap m_mark;
};

QPushButton *linkButton(const QString &text, double size, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    QFont f = UiText::font(size);
    f.setUnderline(true);
    b->setFont(f);
    b->setAccessibleName(text);
    b->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; border: none; padding: 0; text-align: left; }")
            .arg(Palette::redText(parent->palette()).name()));
    return b;
}

} // namespace

// The pictures are compiled into the static UI library, which has to
// register them itself.
static void registerResources() {
    Q_INIT_RESOURCE(resources);
}

AppMainView::AppMainView(UserSettings *settings, Workspace &workspace, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_workspace(workspace),
      m_session(
          new ConversionSession(*settings, ConversionSession::desktopServices(workspace), this)),
      m_queue(m_session->queue()) {
    registerResources();
    setObjectName(QStringLiteral("mainView"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(divider(this));
    column->addWidget(buildBody(), 1);
    column->addWidget(divider(this));
    column->addWidget(buildBottomBar());
    followRun();
    connectActions();
    observe();
    refresh();
}

QWidget *AppMainView::buildBody() {
    // The body scrolls vertically only and reflows with the window's width.
    auto *scroll = new VerticalScrollArea(this);
    scroll->setObjectName(QStringLiteral("body"));
    scroll->setFrameShape(QFrame::NoFrame);
    auto *body = new QWidget(scroll);
    // The body grows and shrinks at its end with the list: only what a
    // resize uncovers needs painting, not the card and the drop zone.
    body->setAttribute(Qt::WA_StaticContents);
    auto *bodyColumn = new QVBoxLayout(body);
    bodyColumn->setContentsMargins(18, 18, 18, 18);
    bodyColumn->setSpacing(14);
    bodyColumn->addWidget(buildStatusRow());
    m_card = new SettingsCard(m_settings, m_queue, m_workspace, body);
    bodyColumn->addWidget(m_card);
    m_dropZone = new DropZone(body);
    bodyColumn->addWidget(m_dropZone);

    m_placeholder = new QLabel(tr("No files yet — drop R3D files above or use “Add Files…”"), body);
    m_placeholder->setObjectName(QStringLiteral("placeholder"));
    m_placeholder->setFont(UiText::font(11));
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setContentsMargins(0, 6, 0, 0);
    UiText::setColor(m_placeholder, UiText::tertiary(this));
    bodyColumn->addWidget(m_placeholder);
    bodyColumn->addWidget(buildListHeader(body));

    // The rows: painted by the list, which is as tall as they are and
    // scrolls with the rest of the body.
    m_model = new JobListModel(m_session, this);
    m_list = new JobListView(body);
    m_list->setModel(m_model);
    bodyColumn->addWidget(m_list);
    bodyColumn->addStretch(1);
    scroll->setWidget(body);
    return scroll;
}

QWidget *AppMainView::buildListHeader(QWidget *body) {
    m_listHeader = new QWidget(body);
    auto *header = new QHBoxLayout(m_listHeader);
    header->setContentsMargins(0, 0, 0, 0);
    m_fileCount = new QLabel(m_listHeader);
    m_fileCount->setObjectName(QStringLiteral("fileCount"));
    QFont countFont = UiText::font(10, true);
    countFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.7);
    m_fileCount->setFont(countFont);
    m_sizeSummary = new QLabel(m_listHeader);
    m_sizeSummary->setObjectName(QStringLiteral("sizeSummary"));
    m_sizeSummary->setFont(UiText::font(10));
    m_clear = new QPushButton(tr("Clear list"), m_listHeader);
    m_clear->setObjectName(QStringLiteral("clearList"));
    m_clear->setFlat(true);
    m_clear->setFont(UiText::font(11));
    m_clear->setAccessibleName(tr("Clear list"));
    QPalette clearColors = m_clear->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive})
        clearColors.setColor(group, QPalette::ButtonText, UiText::tertiary(this));
    clearColors.setColor(QPalette::Disabled, QPalette::ButtonText,
                         Palette::withAlpha(UiText::tertiary(this), 0.5));
    m_clear->setPalette(clearColors);
    for (QLabel *l : {m_fileCount, m_sizeSummary})
        UiText::setColor(l, UiText::tertiary(this));
    header->addWidget(m_fileCount);
    header->addWidget(m_sizeSummary);
    header->addStretch(1);
    header->addWidget(m_clear);
    return m_listHeader;
}

void AppMainView::followRun() {
    // Long runs: sleep held off, task-bar progress, the time left as the run
    // status's tooltip, and a notification at the end if no window is active.
    RunMonitor *monitor = m_session->monitor();
    monitor->setWindowActiveCheck(
        [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; });
    connect(monitor, &RunMonitor::remainingTextChanged, m_runStatus,
            [this, monitor] { m_runStatus->setToolTip(monitor->remainingText()); });
}

void AppMainView::connectActions() {
    // A card or a day's offload can take a while to search: off the main thread.
    connect(m_dropZone, &DropZone::filesDropped, m_queue, &TranscodeQueue::addFilesInBackground);
    connect(m_clear, &QPushButton::clicked, m_queue, &TranscodeQueue::clearList);
    connect(m_list, &JobListView::removeRequested, m_queue, &TranscodeQueue::remove);
    connect(m_list, &JobListView::sendToFCPRequested, m_queue, &TranscodeQueue::manualSend);
    connect(m_list, &JobListView::revealRequested, this, &AppMainView::reveal);
}

void AppMainView::observe() {
    // Redraw at the session's events and every change of the settings. The
    // list follows the jobs by itself; the counts and the run status follow
    // the rows, the runs and the jobs a run starts and finishes.
    using S = ConversionSession;
    for (auto event : {&S::jobsAdded, &S::jobsRemoved})
        connect(m_session, event, this, &AppMainView::refresh);
    for (auto event : {&S::runStarted, &S::runFinished})
        connect(m_session, event, this, &AppMainView::refresh);
    for (auto event : {&S::jobStarted, &S::jobFinished, &S::jobUpdated})
        connect(m_session, event, this, &AppMainView::refreshSoon);
    connect(m_queue, &TranscodeQueue::lastSentToFCPNameChanged, this, &AppMainView::refresh);
    for (auto signal :
         {&UserSettings::outputDirectoryURLChanged, &UserSettings::autoSendToFCPChanged,
          &UserSettings::playCompletionSoundChanged, &UserSettings::selectedPresetChanged,
          &UserSettings::redlinePathChanged})
        connect(m_settings, signal, this, &AppMainView::refresh);
}

AppMainView::~AppMainView() = default;

QSize AppMainView::sizeHint() const {
    // The window opens at 520 × 660 when the content fits in that.
    return QSize(520, 660).expandedTo(minimumSizeHint());
}

QWidget *AppMainView::buildHeader() {
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(18, 12, 18, 12);
    row->setSpacing(10);
    row->addWidget(new MarkTile(bar));
    auto *titles = new QVBoxLayout;
    titles->setSpacing(1);
    auto *name = new QLabel(bar);
    name->setObjectName(QStringLiteral("appName"));
    name->setFont(UiText::font(19, true));
    name->setTextFormat(Qt::RichText);
    name->setText(
        QStringLiteral("Ta<span style=\"color:%1\">rnel</span>").arg(Palette::red().name()));
    name->setAccessibleName(QStringLiteral("Tarnel"));
    auto *subtitle = new QLabel(tr("R3D → ProRes converter"), bar);
    subtitle->setFont(UiText::font(11));
    UiText::setColor(subtitle, UiText::secondary(this));
    titles->addWidget(name);
    titles->addWidget(subtitle);
    row->addLayout(titles);
    row->addStretch(1);
    return bar;
}

QWidget *AppMainView::buildStatusRow() {
    auto *status = new QWidget(this);
    auto *row = new QHBoxLayout(status);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    m_statusDot = new QLabel(status);
    m_statusDot->setFixedSize(8, 8);
    row->addWidget(m_statusDot, 0, Qt::AlignVCenter);

    m_foundRow = new QLabel(tr("REDCINE-X Professional detected"), status);
    m_foundRow->setObjectName(QStringLiteral("redlineFound"));
    m_foundRow->setFont(UiText::font(11));
    UiText::setColor(static_cast<QLabel *>(m_foundRow), UiText::secondary(this));
    row->addWidget(m_foundRow);

    m_missingRow = new QWidget(status);
    m_missingRow->setObjectName(QStringLiteral("redlineMissing"));
    auto *missing = new QVBoxLayout(m_missingRow);
    missing->setContentsMargins(0, 0, 0, 0);
    missing->setSpacing(3);
    auto *notFound = new QLabel(tr("REDCINE-X Professional not found"), m_missingRow);
    notFound->setFont(UiText::font(11, true));
    UiText::setColor(notFound, Palette::darkRed(palette()));
    auto *download =
        linkButton(tr("Download REDCINE-X Professional (free) from RED"), 10, m_missingRow);
    download->setObjectName(QStringLiteral("downloadLink"));
    connect(download, &QPushButton::clicked, this, [this] { m_workspace.openURL(kDownloadPage); });
    missing->addWidget(notFound);
    missing->addWidget(download, 0, Qt::AlignLeft);
    row->addWidget(m_missingRow);
    row->addStretch(1);
    return status;
}

QWidget *AppMainView::buildBottomBar() {
    auto *bar = new QWidget(this);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(18, 12, 18, 12);
    row->setSpacing(10);
    m_addFiles = new QPushButton(tr("Add Files…"), bar);
    m_addFiles->setObjectName(QStringLiteral("addFiles"));
    m_addFiles->setAccessibleName(tr("Add Files"));
    m_spinner = new Spinner(bar);
    m_runStatus = new QLabel(bar);
    m_runStatus->setObjectName(QStringLiteral("runStatus"));
    m_start = new QPushButton(tr("Start"), bar);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setDefault(true);
    m_start->setAccessibleName(tr("Start"));
    m_start->setMinimumWidth(qRound(110 * UiText::fontScale()));
    row->addWidget(m_addFiles);
    row->addStretch(1);
    row->addWidget(m_spinner);
    row->addWidget(m_runStatus);
    row->addWidget(m_start);

    connect(m_addFiles, &QPushButton::clicked, this, &AppMainView::addFiles);
    connect(m_start, &QPushButton::clicked, m_queue, &TranscodeQueue::start);
    // Return starts the queue, as the window's default button.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (m_start->isEnabled())
                m_start->click();
        });
    }
    return bar;
}

void AppMainView::addFiles() {
    if (m_queue->isConverting())
        return;
    const QList<QUrl> urls = AddFilesDialog::choose(window());
    if (!urls.isEmpty())
        m_queue->addFilesInBackground(urls);
}

void AppMainView::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    m_settings->restoreOutputDirectory();
    refresh();
}

bool AppMainView::redlineFound() const {
    return REDlineLocator::isFound(m_settings->redlinePath());
}

bool AppMainView::startEnabled() const {
    return m_session->canStart();
}

QString AppMainView::fileCountText(int count) {
    // Two texts rather than one plural form: the English texts are the
    // source, and "%n FILE(S)" would read so when untranslated.
    return count == 1 ? tr("%1 FILE").arg(count) : tr("%1 FILES").arg(count);
}

QString AppMainView::sizeSummaryText(qint64 totalSource, qint64 estimatedOutput) {
    return u"\u2022  " + ByteCountFormatter::fileSize(totalSource) + u" \u2192 ~" +
           ByteCountFormatter::fileSize(estimatedOutput);
}

QString AppMainView::runStatusText(bool converting, int finished, int total, int queued) {
    if (converting)
        return tr("Converting %1 of %2…")
            .arg(QString::number(finished + 1), QString::number(total));
    if (queued >= 1)
        return tr("%1 ready").arg(queued);
    return {};
}

void AppMainView::reveal(TranscodeJob *job) {
    if (job && job->hasOutputURL())
        m_workspace.reveal(job->outputURL().toLocalFile());
}

void AppMainView::refreshSoon() {
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(this, &AppMainView::refresh, Qt::QueuedConnection);
}

void AppMainView::refresh() {
    m_refreshPending = false;
    const bool converting = m_queue->isConverting();
    const bool found = redlineFound();
    // Style sheets and fonts are costly to apply: only changes are applied
    // (this runs at every change of a job's state).
    const QString dot = QStringLiteral("background: %1; border-radius: 4px;")
                            .arg((found ? Palette::green() : Palette::red()).name());
    if (m_statusDot->styleSheet() != dot)
        m_statusDot->setStyleSheet(dot);
    m_statusDot->setAccessibleName(found ? tr("REDline found") : tr("REDline not found"));
    m_foundRow->setVisible(found);
    m_missingRow->setVisible(!found);

    m_card->refresh();

    const QList<TranscodeJob *> &jobs = m_queue->jobs();
    m_placeholder->setVisible(jobs.isEmpty());
    m_listHeader->setVisible(!jobs.isEmpty());
    m_list->setVisible(!jobs.isEmpty());
    m_fileCount->setText(fileCountText(int(jobs.size())));
    const qint64 total = m_queue->totalSourceBytes();
    m_sizeSummary->setVisible(total >= 1);
    m_sizeSummary->setText(sizeSummaryText(total, m_queue->estimatedOutputBytes()));
    m_clear->setEnabled(!converting);

    m_list->setShowSendToFCP(!m_settings->autoSendToFCP());

    m_addFiles->setEnabled(!converting);
    const QString status = runStatusText(converting, m_queue->finishedCount(), int(jobs.size()),
                                         m_queue->queuedCount());
    m_runStatus->setText(status);
    m_runStatus->setVisible(!status.isEmpty());
    if (const QFont font = UiText::font(11, converting); m_runStatus->font() != font)
        m_runStatus->setFont(font);
    if (const QColor color = converting ? Palette::amber(palette()) : UiText::secondary(this);
        m_runStatus->palette().color(QPalette::WindowText) != color)
        UiText::setColor(m_runStatus, color);
    m_spinner->setVisible(converting);
    m_start->setText(converting ? tr("Converting…") : tr("Start"));
    m_start->setEnabled(startEnabled());
}
