#pragma once

#include <QColor>
#include <QStringView>

// An opaque sRGB colour from a text such as "#E24B4A": characters that are
// neither letters nor digits are stripped from both ends, the rest is read
// as a hexadecimal number up to the first character that is not a
// hexadecimal digit (no digit gives 0); red is bits 16-23, green 8-15, blue 0-7.
QColor colorFromHex(QStringView text);
