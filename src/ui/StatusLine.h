#pragma once

#include <QWidget>

// The window's status line: warnings about what the user asked for (files
// that could not be added, pieces missing from a clip, settings that cannot
// be saved), or work under way ("Looking for clips…"). It shows its whole
// text, wrapped at the line's width and, where a word is longer than the
// line (a long path), inside the word, and grows to as many lines as that
// takes. A warning looks like one: a tinted band with a warning sign, set
// apart from the window's run status; work under way is plain. Hidden while
// it has nothing to say. Its text can be copied (context menu, Ctrl+C).
class StatusLine : public QWidget {
    Q_OBJECT

public:
    explicit StatusLine(QWidget *parent = nullptr);

    enum class Look { warning, plain };

    QString text() const { return m_text; }
    Look look() const { return m_look; }
    // Shows the text, or hides the line when the text is empty.
    void setText(const QString &text, Look look = Look::warning);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect textRect(const QRect &area) const;
    // Keeps the minimum height at what the text needs at the current width,
    // so that the window never hides a line of it.
    void fitHeight();

    QString m_text;
    Look m_look = Look::warning;
};
