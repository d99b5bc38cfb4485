#include "Palette.h"

#include "ColorFromHex.h"

#include <QPalette>

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

bool Palette::isDark(const QPalette &palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

// The dark variants keep the hue and are light enough for 4.5:1 on window
// and row backgrounds up to #424242; the light link red is the mark's red
// darkened to 4.5:1 on a #EFEFEF window.
QColor Palette::redText(const QPalette &palette) {
    return colorFromHex(isDark(palette) ? u"#FF8E8C" : u"#C2302F");
}
QColor Palette::darkRed(const QPalette &palette) {
    return isDark(palette) ? colorFromHex(u"#FF9C94") : darkRed();
}
QColor Palette::amber(const QPalette &palette) {
    return isDark(palette) ? colorFromHex(u"#F0B35A") : amber();
}
QColor Palette::darkGreen(const QPalette &palette) {
    return isDark(palette) ? colorFromHex(u"#9BD36A") : darkGreen();
}

QColor Palette::withAlpha(QColor color, double opacity) {
    color.setAlphaF(color.alphaF() * float(opacity));
    return color;
}
