#pragma once

#include <QList>
#include <QUrl>
#include <QWidget>

class QLabel;

// The dashed area that takes dropped files and folders, at any time, also
// during a run. Only drags that carry file URLs are accepted.
class DropZone : public QWidget {
    Q_OBJECT

public:
    explicit DropZone(QWidget *parent = nullptr);
    bool isTargeted() const { return m_targeted; }

Q_SIGNALS:
    // The dropped URLs, folders marked with a trailing "/", in drop order.
    void filesDropped(const QList<QUrl> &urls);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void setTargeted(bool targeted);

    bool m_targeted = false;
    QLabel *m_symbol;
    QLabel *m_title;
    QLabel *m_hint;
};
