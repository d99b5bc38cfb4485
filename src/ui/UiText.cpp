#include "UiText.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <algorithm>

double UiText::fontScale() {
    // The sizes were chosen beside a 13-pixel interface font. A larger
    // desktop font (chosen for readability) enlarges every text in
    // proportion; a smaller one leaves them as they are.
    const int desktop = QFontInfo(QApplication::font()).pixelSize();
    return std::max(1.0, desktop / 13.0);
}

QFont UiText::font(double pointSize, bool medium, bool monospaced) {
    QFont f =
        monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QApplication::font();
    // Sizes are given in layout points, one point a pixel at 1x (the
    // platform scales pixel sizes on high-density screens).
    f.setPixelSize(qRound(pointSize * fontScale()));
    f.setWeight(medium ? QFont::Medium : QFont::Normal);
    return f;
}

QColor UiText::secondary(const QWidget *w) {
    return secondary(w->palette());
}

QColor UiText::tertiary(const QWidget *w) {
    return tertiary(w->palette());
}

QColor UiText::secondary(const QPalette &palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.62f);
    return c;
}

QColor UiText::tertiary(const QPalette &palette) {
    QColor c = palette.color(QPalette::WindowText);
    c.setAlphaF(0.42f);
    return c;
}

void UiText::setColor(QLabel *label, const QColor &color) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

QString UiText::abbreviatingHome(const QString &path) {
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != u"/" && (path == home || path.startsWith(home + u'/')))
        return u'~' + path.mid(home.size());
    return path;
}
