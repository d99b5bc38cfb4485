#include "ElidedLabel.h"

#include <QResizeEvent>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString &text) {
    m_fullText = text;
    setAccessibleDescription(text);
    elide();
}

QSize ElidedLabel::minimumSizeHint() const {
    return {20, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide() {
    // Line breaks would break the one-line layout; show them as spaces.
    QString oneLine = m_fullText;
    oneLine.replace(u'\n', u' ');
    setText(fontMetrics().elidedText(oneLine, Qt::ElideMiddle, std::max(width(), 20)));
}
