#pragma once

#include <QFont>
#include <QPalette>
#include <QString>

class QLabel;
class QWidget;

// Fonts, secondary colours and small helpers shared by the views.
class UiText {
public:
    // The system font at `pointSize` layout points, enlarged by fontScale().
    static QFont font(double pointSize, bool medium = false, bool monospaced = false);
    // How much larger than 13 pixels the desktop's interface font is (at
    // least 1).
    static double fontScale();
    static QColor secondary(const QWidget *w);
    static QColor tertiary(const QWidget *w);
    static QColor secondary(const QPalette &palette);
    static QColor tertiary(const QPalette &palette);
    static void setColor(QLabel *label, const QColor &color);
    // The path with the home folder written as "~".
    static QString abbreviatingHome(const QString &path);
};
