#pragma once

#include <QString>

class QFont;
class QTextLayout;

// Text laid out over lines of a given width, breaking between words where it
// can and inside a word where a word is longer than the line, so that no
// text is ever cut: a long path or eight hundred characters of base64 still
// fit. Line breaks in the text (LF, CR or CR LF) start new lines.
class WrappedText {
public:
    // Lays the text out in `layout`; returns the height the lines take.
    static int layout(QTextLayout &layout, const QString &text, const QFont &font, int width);
    // The height the text takes at that width.
    static int height(const QString &text, const QFont &font, int width);
};
