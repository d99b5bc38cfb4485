#include "Spinner.h"

#include <QPainter>

Spinner::Spinner(QWidget *parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    m_timer.setInterval(80);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

void Spinner::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::WindowText), 2);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -m_angle * 16, 270 * 16);
}

void Spinner::showEvent(QShowEvent *) {
    m_timer.start();
}
void Spinner::hideEvent(QHideEvent *) {
    m_timer.stop();
}
