#include "WrappedText.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <QtMath>

int WrappedText::layout(QTextLayout &layout, const QString &text, const QFont &font, int width) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    lines.replace(u'\n', QChar::LineSeparator);
    lines.replace(u'\r', QChar::LineSeparator);
    layout.setText(lines);
    layout.setFont(font);
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrapping);
    // Lines are set apart by the font's leading, as a label sets them.
    const qreal leading = QFontMetricsF(font).leading();
    qreal y = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (line.lineNumber() > 0)
            y += leading;
        line.setLineWidth(std::max(width, 1));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return qCeil(y);
}

int WrappedText::height(const QString &text, const QFont &font, int width) {
    QTextLayout lines;
    return layout(lines, text, font, width);
}
