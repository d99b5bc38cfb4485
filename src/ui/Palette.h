#pragma once

#include <QColor>

class QPalette;

// The fixed colours of the main window and its rows. Fills and outlines keep
// their colour on every theme; text colours come in two variants, judged
// from the window's background: the written colour on a light theme, and a
// lighter one on a dark theme, each readable on the rows and the window
// (a contrast of at least 4.5:1).
class Palette {
public:
    static QColor red();       // #E24B4A: mark, converting outline, progress, drop target
    static QColor green();     // #639922: REDline found, finished progress
    static QColor darkRed();   // #A32D2D: not found, failed badge and error text
    static QColor amber();     // #854F0B: run status text, converting badge
    static QColor darkGreen(); // #3B6D11: done and in-Final-Cut badges

    // Whether the palette's window background is dark.
    static bool isDark(const QPalette &palette);
    // Text in the palette's theme: links and the drop target's title (red
    // text, darker than the mark's red so that it reads on light rows), and
    // the three status colours above.
    static QColor redText(const QPalette &palette);
    static QColor darkRed(const QPalette &palette);
    static QColor amber(const QPalette &palette);
    static QColor darkGreen(const QPalette &palette);

    // The colour drawn at that opacity: its own alpha times `opacity`, so a
    // translucent colour (secondary, tertiary) becomes fainter still.
    static QColor withAlpha(QColor color, double opacity);
};
