#pragma once

#include "JobRowAction.h"
#include "RowGeometry.h"

#include <QAbstractItemView>

class JobListModel;
class JobRowDelegate;
class QScrollArea;
class TranscodeJob;

// The main window's list of jobs: a view over JobListModel that paints each
// row with JobRowDelegate and holds no widget per row.
//
// It never scrolls itself. It is as tall as its rows and sits in the
// window's scrolling body, which shows a part of it; only the rows in that
// part are painted. Each row's height is measured when the row is added or
// changes (or when the list's width changes) and kept in a RowGeometry, so a
// change to one job re-measures and repaints that row alone.
//
// The rows' buttons work with the pointer and the keyboard: Tab moves through
// the buttons of the rows, Left and Right within a row, Up and Down between
// rows; Space or Return presses the focused button; Delete removes a queued
// row. Pressing a button changes nothing: the view asks through a signal.
class JobListView : public QAbstractItemView {
    Q_OBJECT

public:
    explicit JobListView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    JobListModel *jobModel() const { return m_model; }
    JobRowDelegate *rowDelegate() const { return m_delegate; }

    // Whether finished rows offer "Send to Final Cut".
    void setShowSendToFCP(bool show);
    // The button of the current row that has the keyboard focus, if any.
    JobRowAction focusedAction() const { return m_focused; }
    // Asks for a row's action as pressing its button does; nothing when the
    // row does not offer that button in its state.
    void trigger(const QModelIndex &index, JobRowAction action);
    // The style option the row is painted with.
    QStyleOptionViewItem rowOption(const QModelIndex &index) const;

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void removeRequested(TranscodeJob *job);
    void sendToFCPRequested(TranscodeJob *job);
    void revealRequested(TranscodeJob *job);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override { return 0; }
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &, QItemSelectionModel::SelectionFlags) override {}
    QRegion visualRegionForSelection(const QItemSelection &) const override { return {}; }

    void reset() override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QStyleOptionViewItem measuringOption() const;
    int measure(const QStyleOptionViewItem &option, int row) const;
    void remeasureAll();
    QList<JobRowAction> actions(const QModelIndex &index) const;
    JobRowAction actionAt(const QPoint &pos, int *row) const;
    bool handlesKey(const QKeyEvent *event) const;
    void setHover(int row, JobRowAction action);
    // Makes the row current with that button focused, and shows it.
    void focusButton(int row, JobRowAction action);
    void focusEdge(bool first);
    void copyNotice(const QModelIndex &index) const;
    void updateRow(int row);
    void updateFrom(int row);
    void announceFocus();
    QScrollArea *scrollArea() const;

    JobListModel *m_model = nullptr;
    JobRowDelegate *m_delegate;
    RowGeometry m_rows{6};
    int m_measuredWidth = -1;
    int m_hoverRow = -1;
    JobRowAction m_hovered = JobRowAction::none;
    int m_pressedRow = -1;
    JobRowAction m_pressed = JobRowAction::none;
    JobRowAction m_focused = JobRowAction::none;
};
