#include "VerticalScrollArea.h"

#include <QEvent>
#include <QScrollBar>
#include <QStyle>

VerticalScrollArea::VerticalScrollArea(QWidget *parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

int VerticalScrollArea::chromeWidth() const {
    // Room for the vertical scroll bar whether or not it shows, so that its
    // coming and going never pushes the content past the edge.
    const int bar = verticalScrollBar()->sizeHint().width();
    return 2 * frameWidth() + bar;
}

QSize VerticalScrollArea::minimumSizeHint() const {
    QSize size = QScrollArea::minimumSizeHint();
    if (const QWidget *content = widget())
        size.setWidth(std::max(size.width(), content->minimumSizeHint().width() + chromeWidth()));
    return size;
}

QSize VerticalScrollArea::sizeHint() const {
    QSize size = QScrollArea::sizeHint();
    size.setWidth(std::max(size.width(), minimumSizeHint().width()));
    return size;
}

bool VerticalScrollArea::event(QEvent *event) {
    // The content's layout changed (the viewport passes its layout requests
    // on): its minimum width may have changed with a font or a longer text,
    // and the layout around the area has to hear of it.
    if (event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::event(event);
}
