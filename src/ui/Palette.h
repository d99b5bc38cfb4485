#pragma once

#include <QColor>

// The fixed colours of the main window and its rows.
class Palette {
public:
    static QColor red();       // #E24B4A: mark, links, drop target, converting outline, progress
    static QColor green();     // #639922: REDline found, finished progress
    static QColor darkRed();   // #A32D2D: not found, failed badge and error text
    static QColor amber();     // #854F0B: run status text, converting badge
    static QColor darkGreen(); // #3B6D11: done and in-Final-Cut badges
    // The colour drawn at that opacity: its own alpha times `opacity`, so a
    // translucent colour (secondary, tertiary) becomes fainter still.
    static QColor withAlpha(QColor color, double opacity);
};
