#include "DropZone.h"

#include "FolderUrls.h"
#include "Palette.h"
#include "UiText.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

bool carriesFiles(const QMimeData *mime) {
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &u) { return u.isLocalFile(); });
}

} // namespace

DropZone::DropZone(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("dropZone"));
    setAcceptDrops(true);
    setAccessibleName(tr("Drop R3D files or folders here"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 18, 12, 18);
    column->setSpacing(5);
    m_symbol = new QLabel(QStringLiteral("\u2913"), this); // downwards arrow to bar
    m_symbol->setFont(UiText::font(22));
    m_title = new QLabel(tr("Drop R3D files or folders here"), this);
    m_title->setFont(UiText::font(12, true));
    m_hint = new QLabel(tr("Files are added to the list — nothing converts until you press Start"),
                        this);
    m_hint->setFont(UiText::font(10));
    m_hint->setWordWrap(true);
    for (QLabel *l : {m_symbol, m_title, m_hint}) {
        l->setAlignment(Qt::AlignCenter);
        column->addWidget(l);
    }
    setTargeted(false);
}

void DropZone::setTargeted(bool targeted) {
    m_targeted = targeted;
    UiText::setColor(m_symbol,
                     targeted ? Palette::red() : Palette::withAlpha(UiText::secondary(this), 0.6));
    UiText::setColor(m_title, targeted ? Palette::redText(palette())
                                       : palette().color(QPalette::WindowText));
    UiText::setColor(m_hint, UiText::tertiary(this));
    update();
}

void DropZone::dragEnterEvent(QDragEnterEvent *event) {
    if (!carriesFiles(event->mimeData()))
        return;
    event->acceptProposedAction();
    setTargeted(true);
}

void DropZone::dragLeaveEvent(QDragLeaveEvent *) {
    setTargeted(false);
}

void DropZone::dropEvent(QDropEvent *event) {
    setTargeted(false);
    if (!carriesFiles(event->mimeData()))
        return;
    event->acceptProposedAction();
    // Items that are not files contribute nothing; the rest keep their order.
    QList<QUrl> files;
    for (const QUrl &u : event->mimeData()->urls()) {
        if (u.isLocalFile())
            files << u;
    }
    // The drop is accepted at once; the files are added once it is over.
    QMetaObject::invokeMethod(
        this, [this, files] { Q_EMIT filesDropped(FolderUrls::markingFolders(files)); },
        Qt::QueuedConnection);
}

void DropZone::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75);
    QPainterPath path;
    path.addRoundedRect(r, 12, 12);
    p.fillPath(path, Palette::withAlpha(palette().color(QPalette::Base), 0.5));
    QPen pen(m_targeted ? Palette::red() : Palette::withAlpha(UiText::secondary(this), 0.3), 1.5);
    pen.setDashPattern({5 / 1.5, 4 / 1.5}); // in units of the pen width
    p.setPen(pen);
    p.drawPath(path);
}
