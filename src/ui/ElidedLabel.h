#pragma once

#include <QLabel>

// A one-line label that cuts its text in the middle ("…") to fit its width,
// and keeps the whole text for tooltips, accessibility and tests.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();
    QString m_fullText;
};
