#pragma once

#include <QScrollArea>

// A scroll area that scrolls vertically only: its content is always as wide
// as the area, and the area is never narrower than the content's minimum
// width, so nothing is cut at the right edge and no horizontal scroll bar
// appears. The content reflows with the width (height for width).
class VerticalScrollArea : public QScrollArea {
    Q_OBJECT

public:
    explicit VerticalScrollArea(QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    bool event(QEvent *event) override;

private:
    int chromeWidth() const;
};
