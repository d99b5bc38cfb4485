#include "JobListView.h"

#include "JobListAccessible.h"
#include "JobListModel.h"
#include "JobRowDelegate.h"
#include "model/TranscodeJob.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>

JobListView::JobListView(QWidget *parent)
    : QAbstractItemView(parent), m_delegate(new JobRowDelegate(this)) {
    static const bool accessible = [] {
        QAccessible::installFactory(&JobListAccessible::factory);
        return true;
    }();
    Q_UNUSED(accessible)
    setObjectName(QStringLiteral("jobList"));
    setAccessibleName(tr("Files"));
    setItemDelegate(m_delegate);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAutoScroll(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // As wide as the list's column, and never narrower than a row needs to
    // show its status word and buttons; as tall as the rows.
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    // The window's background shows between the cards.
    viewport()->setAutoFillBackground(false);
}

void JobListView::setModel(QAbstractItemModel *model) {
    m_model = qobject_cast<JobListModel *>(model);
    QAbstractItemView::setModel(model);
}

void JobListView::setShowSendToFCP(bool show) {
    if (m_delegate->showSendToFCP() == show)
        return;
    m_delegate->setShowSendToFCP(show);
    if (!actions(currentIndex()).contains(m_focused))
        m_focused = actions(currentIndex()).value(0, JobRowAction::none);
    viewport()->update();
}

QList<JobRowAction> JobListView::actions(const QModelIndex &index) const {
    return index.isValid() ? m_delegate->actions(index) : QList<JobRowAction>{};
}

void JobListView::trigger(const QModelIndex &index, JobRowAction action) {
    if (action == JobRowAction::none || !actions(index).contains(action))
        return;
    auto *job = index.data(JobListModel::JobRole).value<TranscodeJob *>();
    if (!job)
        return;
    switch (action) {
    case JobRowAction::remove:
        Q_EMIT removeRequested(job);
        break;
    case JobRowAction::sendToFCP:
        Q_EMIT sendToFCPRequested(job);
        break;
    case JobRowAction::reveal:
        Q_EMIT revealRequested(job);
        break;
    case JobRowAction::none:
        break;
    }
}

// Geometry ------------------------------------------------------------------

QStyleOptionViewItem JobListView::measuringOption() const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(0, 0, viewport()->width(), 0);
    return option;
}

int JobListView::measure(const QStyleOptionViewItem &option, int row) const {
    return m_delegate->sizeHint(option, model()->index(row, 0, rootIndex())).height();
}

void JobListView::remeasureAll() {
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    const QStyleOptionViewItem option = measuringOption();
    std::vector<int> heights;
    heights.reserve(std::size_t(count));
    for (int row = 0; row < count; ++row)
        heights.push_back(measure(option, row));
    m_rows.assign(std::move(heights));
    m_measuredWidth = viewport()->width();
    updateGeometry();
    viewport()->update();
}

QRect JobListView::visualRect(const QModelIndex &index) const {
    if (!index.isValid() || index.row() >= m_rows.count())
        return {};
    return {0, m_rows.top(index.row()), viewport()->width(), m_rows.height(index.row())};
}

QModelIndex JobListView::indexAt(const QPoint &point) const {
    const int row = m_rows.rowAt(point.y());
    if (row < 0 || point.y() >= m_rows.top(row) + m_rows.height(row) || point.x() < 0 ||
        point.x() >= viewport()->width() || !model())
        return {};
    return model()->index(row, 0, rootIndex());
}

QSize JobListView::sizeHint() const {
    return minimumSizeHint();
}

QSize JobListView::minimumSizeHint() const {
    // Narrower rows would cut their status words and buttons at the right.
    const QStyleOptionViewItem option = measuringOption();
    return {m_delegate->minimumWidth(option) + 2 * frameWidth(), m_rows.total()};
}

QScrollArea *JobListView::scrollArea() const {
    for (QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        if (auto *area = qobject_cast<QScrollArea *>(w))
            return area;
    }
    return nullptr;
}

void JobListView::scrollTo(const QModelIndex &index, ScrollHint) {
    QScrollArea *area = scrollArea();
    const QRect row = visualRect(index);
    if (!area || !area->widget() || row.isEmpty())
        return;
    const QPoint center = mapTo(area->widget(), row.center());
    area->ensureVisible(center.x(), center.y(), 0, row.height() / 2 + 1);
}

QModelIndex JobListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers) {
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : -1;
    const QScrollArea *area = scrollArea();
    const int page = area ? area->viewport()->height() : viewport()->height();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        row = row < 0 ? count - 1 : row - 1;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MovePageUp:
    case MovePageDown: {
        const int from = row < 0 ? 0 : m_rows.top(row);
        const int to = from + (cursorAction == MovePageUp ? -page : page);
        row = m_rows.rowAt(std::clamp(to, 0, std::max(m_rows.total() - 1, 0)));
        break;
    }
    case MoveLeft:
    case MoveRight:
        return current;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

// Following the model --------------------------------------------------------

void JobListView::reset() {
    QAbstractItemView::reset();
    m_hoverRow = m_pressedRow = -1;
    m_hovered = m_pressed = m_focused = JobRowAction::none;
    remeasureAll();
}

void JobListView::rowsInserted(const QModelIndex &parent, int start, int end) {
    if (!parent.isValid()) {
        const QStyleOptionViewItem option = measuringOption();
        std::vector<int> heights;
        heights.reserve(std::size_t(end - start + 1));
        for (int row = start; row <= end; ++row)
            heights.push_back(measure(option, row));
        m_rows.insert(start, heights);
        updateGeometry();
        updateFrom(start);
    }
    QAbstractItemView::rowsInserted(parent, start, end);
}

void JobListView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) {
    if (!parent.isValid()) {
        updateFrom(start);
        m_rows.remove(start, end - start + 1);
        m_hoverRow = m_pressedRow = -1;
        m_hovered = m_pressed = JobRowAction::none;
        updateGeometry();
    }
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
}

void JobListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QList<int> &) {
    if (!topLeft.isValid() || topLeft.parent() != rootIndex() ||
        bottomRight.row() >= m_rows.count())
        return;
    // Only the changed rows are measured again; the rows below move when a
    // height changed, and only then.
    const QStyleOptionViewItem option = measuringOption();
    bool moved = false;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const int height = measure(option, row);
        if (height != m_rows.height(row)) {
            m_rows.setHeight(row, height);
            moved = true;
        }
    }
    if (moved) {
        updateGeometry();
        updateFrom(topLeft.row());
    } else {
        const int top = m_rows.top(topLeft.row());
        viewport()->update(0, top, viewport()->width(),
                           m_rows.top(bottomRight.row()) + m_rows.height(bottomRight.row()) - top);
    }
    // A row's description holds its state, sizes and error text.
    if (QAccessible::isActive()) {
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
            QAccessibleEvent described(this, QAccessible::DescriptionChanged);
            described.setChild(row);
            QAccessible::updateAccessibility(&described);
        }
    }
    // The focused button may have gone with the row's new state.
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() >= topLeft.row() && current.row() <= bottomRight.row() &&
        !actions(current).contains(m_focused))
        m_focused = actions(current).value(0, JobRowAction::none);
}

void JobListView::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QAbstractItemView::currentChanged(current, previous);
    // Moving between rows keeps the same kind of button where the new row has one.
    if (!actions(current).contains(m_focused))
        m_focused = actions(current).value(0, JobRowAction::none);
    announceFocus();
}

void JobListView::resizeEvent(QResizeEvent *event) {
    QAbstractItemView::resizeEvent(event);
    // The error texts wrap at the list's width.
    if (viewport()->width() != m_measuredWidth)
        remeasureAll();
}

// Painting --------------------------------------------------------------------

QStyleOptionViewItem JobListView::rowOption(const QModelIndex &index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    if (hasFocus() && index.isValid() && index == currentIndex())
        option.state |= QStyle::State_HasFocus;
    return option;
}

void JobListView::paintEvent(QPaintEvent *event) {
    const QRect area = event->rect();
    int row = m_rows.rowAt(std::max(area.top(), 0));
    if (row < 0 || !model())
        return;
    JobRowDelegate::Interaction interaction;
    interaction.hoverRow = m_hoverRow;
    interaction.hovered = m_hovered;
    interaction.pressed =
        m_pressed != JobRowAction::none && m_pressedRow == m_hoverRow && m_pressed == m_hovered;
    interaction.focusRow = currentIndex().row();
    interaction.focused = m_focused;
    m_delegate->setInteraction(interaction);

    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int focusRow = hasFocus() ? currentIndex().row() : -1;
    // Only the rows that meet the area to repaint.
    for (int y = m_rows.top(row); row < m_rows.count() && y <= area.bottom(); ++row) {
        const int height = m_rows.height(row);
        QStyleOptionViewItem rowOption = option;
        rowOption.rect = QRect(0, y, viewport()->width(), height);
        if (row == focusRow)
            rowOption.state |= QStyle::State_HasFocus;
        m_delegate->paint(&painter, rowOption, model()->index(row, 0, rootIndex()));
        y += height + m_rows.spacing();
    }
}

void JobListView::updateRow(int row) {
    if (row >= 0 && row < m_rows.count())
        viewport()->update(0, m_rows.top(row), viewport()->width(), m_rows.height(row));
}

void JobListView::updateFrom(int row) {
    const int top = m_rows.top(std::min(row, m_rows.count()));
    viewport()->update(0, top, viewport()->width(), std::max(viewport()->height() - top, 0));
}

// Pointer ---------------------------------------------------------------------

JobRowAction JobListView::actionAt(const QPoint &pos, int *row) const {
    const QModelIndex index = indexAt(pos);
    *row = index.row();
    if (!index.isValid())
        return JobRowAction::none;
    return m_delegate->actionAt(rowOption(index), index, pos);
}

void JobListView::setHover(int row, JobRowAction action) {
    if (row == m_hoverRow && action == m_hovered)
        return;
    updateRow(m_hoverRow);
    m_hoverRow = row;
    m_hovered = action;
    updateRow(row);
}

bool JobListView::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::Leave)
        setHover(-1, JobRowAction::none);
    return QAbstractItemView::viewportEvent(event);
}

void JobListView::mousePressEvent(QMouseEvent *event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !selectionModel())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    int row = -1;
    const JobRowAction action = actionAt(pos, &row);
    if (event->button() != Qt::LeftButton || action == JobRowAction::none)
        return;
    m_pressedRow = row;
    m_pressed = action;
    m_focused = action;
    setHover(row, action);
    updateRow(row);
}

void JobListView::mouseMoveEvent(QMouseEvent *event) {
    int row = -1;
    const JobRowAction action = actionAt(event->position().toPoint(), &row);
    setHover(action == JobRowAction::none ? -1 : row, action);
}

void JobListView::mouseReleaseEvent(QMouseEvent *event) {
    if (m_pressed == JobRowAction::none)
        return;
    int row = -1;
    const JobRowAction action = actionAt(event->position().toPoint(), &row);
    const JobRowAction pressed = m_pressed;
    const int pressedRow = m_pressedRow;
    m_pressed = JobRowAction::none;
    m_pressedRow = -1;
    updateRow(pressedRow);
    // A button acts when released over itself, as a push button does.
    if (action == pressed && row == pressedRow)
        trigger(model()->index(row, 0, rootIndex()), action);
}

void JobListView::mouseDoubleClickEvent(QMouseEvent *event) {
    mousePressEvent(event);
}

void JobListView::wheelEvent(QWheelEvent *event) {
    // The surrounding body scrolls.
    event->ignore();
}

void JobListView::contextMenuEvent(QContextMenuEvent *event) {
    const QModelIndex index = indexAt(event->pos());
    if (index.data(JobListModel::NoticeRole).toString().isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(tr("Copy Error Text"), this, [this, index] { copyNotice(index); });
    menu.exec(event->globalPos());
}

void JobListView::copyNotice(const QModelIndex &index) const {
    const QString notice = index.data(JobListModel::NoticeRole).toString();
    if (!notice.isEmpty())
        QApplication::clipboard()->setText(notice);
}

// Keyboard --------------------------------------------------------------------

bool JobListView::handlesKey(const QKeyEvent *event) const {
    if (event->modifiers() & ~Qt::KeypadModifier)
        return false;
    const QModelIndex current = currentIndex();
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Select:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return current.isValid() && m_focused != JobRowAction::none;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        return actions(current).contains(JobRowAction::remove);
    default:
        return false;
    }
}

bool JobListView::event(QEvent *event) {
    // Return presses the focused button, not the window's default button.
    if (event->type() == QEvent::ShortcutOverride && handlesKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    // Rows are measured in the fonts and with the buttons of the moment.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_delegate->resetMetrics();
        remeasureAll();
    }
    return QAbstractItemView::event(event);
}

void JobListView::keyPressEvent(QKeyEvent *event) {
    const QModelIndex current = currentIndex();
    if (event->matches(QKeySequence::Copy)) {
        copyNotice(current);
        return;
    }
    if (handlesKey(event)) {
        const bool remove = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
        trigger(current, remove ? JobRowAction::remove : m_focused);
        return;
    }
    std::optional<CursorAction> move;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const QList<JobRowAction> buttons = actions(current);
        const qsizetype at = buttons.indexOf(m_focused) + (event->key() == Qt::Key_Left ? -1 : 1);
        if (at >= 0 && at < buttons.size())
            focusButton(current.row(), buttons.at(at));
        return;
    }
    case Qt::Key_Up:
        move = MoveUp;
        break;
    case Qt::Key_Down:
        move = MoveDown;
        break;
    case Qt::Key_Home:
        move = MoveHome;
        break;
    case Qt::Key_End:
        move = MoveEnd;
        break;
    case Qt::Key_PageUp:
        move = MovePageUp;
        break;
    case Qt::Key_PageDown:
        move = MovePageDown;
        break;
    default:
        QAbstractItemView::keyPressEvent(event);
        return;
    }
    const QModelIndex next = moveCursor(*move, event->modifiers());
    if (next.isValid())
        focusButton(next.row(), actions(next).contains(m_focused)
                                    ? m_focused
                                    : actions(next).value(0, JobRowAction::none));
}

void JobListView::focusButton(int row, JobRowAction action) {
    // The keyboard moved the focus, as Tab between widgets does: the style
    // draws focus frames from now on.
    window()->setAttribute(Qt::WA_KeyboardFocusChange);
    const QModelIndex index = model()->index(row, 0, rootIndex());
    const int before = currentIndex().row();
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_focused = action;
    updateRow(before);
    updateRow(row);
    scrollTo(index);
    announceFocus();
}

void JobListView::focusEdge(bool first) {
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    for (int i = 0; i < count; ++i) {
        const int row = first ? i : count - 1 - i;
        const QList<JobRowAction> buttons = actions(model()->index(row, 0, rootIndex()));
        if (!buttons.isEmpty()) {
            focusButton(row, first ? buttons.first() : buttons.last());
            return;
        }
    }
    if (count > 0)
        focusButton(first ? 0 : count - 1, JobRowAction::none);
}

void JobListView::focusInEvent(QFocusEvent *event) {
    QAbstractItemView::focusInEvent(event);
    // Tab enters at the first button of the list, Backtab at the last, as
    // if every button took part in the window's tab order.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        focusEdge(event->reason() == Qt::TabFocusReason);
    else if (!actions(currentIndex()).contains(m_focused))
        m_focused = actions(currentIndex()).value(0, JobRowAction::none);
}

bool JobListView::focusNextPrevChild(bool next) {
    const QModelIndex current = currentIndex();
    if (hasFocus() && current.isValid()) {
        const QList<JobRowAction> buttons = actions(current);
        const qsizetype at = buttons.indexOf(m_focused) + (next ? 1 : -1);
        if (m_focused != JobRowAction::none && at >= 0 && at < buttons.size()) {
            focusButton(current.row(), buttons.at(at));
            return true;
        }
        const int count = model()->rowCount(rootIndex());
        for (int row = current.row() + (next ? 1 : -1); row >= 0 && row < count;
             row += next ? 1 : -1) {
            const QList<JobRowAction> there = actions(model()->index(row, 0, rootIndex()));
            if (!there.isEmpty()) {
                focusButton(row, next ? there.first() : there.last());
                return true;
            }
        }
    }
    return QAbstractItemView::focusNextPrevChild(next);
}

void JobListView::announceFocus() {
    const QModelIndex current = currentIndex();
    if (!QAccessible::isActive() || !hasFocus() || !current.isValid())
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(current.row());
    QAccessible::updateAccessibility(&focus);
}
