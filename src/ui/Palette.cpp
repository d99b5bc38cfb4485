#include "Palette.h"

#include "ColorFromHex.h"

QColor Palette::red() {
    return colorFromHex(u"#E24B4A");
}
QColor Palette::green() {
    return colorFromHex(u"#639922");
}
QColor Palette::darkRed() {
    return colorFromHex(u"#A32D2D");
}
QColor Palette::amber() {
    return colorFromHex(u"#854F0B");
}
QColor Palette::darkGreen() {
    return colorFromHex(u"#3B6D11");
}

QColor Palette::withAlpha(QColor color, double opacity) {
    color.setAlphaF(color.alphaF() * float(opacity));
    return color;
}
