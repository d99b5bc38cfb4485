#include "JobRowDelegate.h"

#include "JobListModel.h"
#include "JobRowText.h"
#include "Palette.h"
#include "UiText.h"
#include "WrappedText.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>
#include <QStyleOptionToolButton>
#include <QTextLayout>
#include <QToolTip>
#include <QtMath>

namespace {

constexpr int kMargin = 10;      // around the card's content
constexpr int kSpacing = 5;      // between the card's lines
constexpr int kLineSpacing = 8;  // between the items of the title and action lines
constexpr int kActionsAbove = 2; // extra space above the action line
constexpr int kBarHeight = 5;    // a progress bar squeezed to 60 % of its height
constexpr int kRemoveSymbol = 11;

JobStatus statusOf(const QModelIndex &index) {
    return index.data(JobListModel::StatusRole).value<JobStatus>();
}

bool isFinished(JobStatus status) {
    return status == JobStatus::done || status == JobStatus::sentToFCP;
}

// "waiting" is secondary rather than tertiary: tertiary text is too faint
// for a status word on a row (under 4.5:1).
QColor badgeColor(JobStatus status, const QPalette &palette) {
    switch (status) {
    case JobStatus::queued:
        return UiText::secondary(palette);
    case JobStatus::converting:
        return Palette::amber(palette);
    case JobStatus::failed:
        return Palette::darkRed(palette);
    case JobStatus::done:
    case JobStatus::sentToFCP:
        break;
    }
    return Palette::darkGreen(palette);
}

QStyle *styleOf(const QStyleOptionViewItem &option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

// A button's style option as the button widget would make it, with the
// pointer and focus state of this one button rather than of the whole view.
template <typename Option>
Option buttonOption(const QStyleOptionViewItem &option, const QRect &rect, bool hovered, bool down,
                    bool focused) {
    Option b;
    if (option.widget) {
        b.initFrom(option.widget);
        b.styleObject = nullptr; // no style animations keyed to the whole view
    }
    b.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    b.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    if (hovered)
        b.state |= QStyle::State_MouseOver;
    if (focused)
        b.state |= QStyle::State_HasFocus;
    b.rect = rect;
    return b;
}

} // namespace

QRect JobRowDelegate::Layout::rect(JobRowAction action) const {
    switch (action) {
    case JobRowAction::remove:
        return remove;
    case JobRowAction::sendToFCP:
        return send;
    case JobRowAction::reveal:
        return reveal;
    case JobRowAction::none:
        break;
    }
    return {};
}

JobRowDelegate::JobRowDelegate(QObject *parent) : QStyledItemDelegate(parent) {
}

int JobRowDelegate::minimumWidth(const QStyleOptionViewItem &option) const {
    const Metrics &m = metrics(option);
    // The widest badge (in the user's language) beside a short name, or the
    // action line.
    const int badge =
        QFontMetrics(m.smallMedium).horizontalAdvance(JobRowText::tr("converting %1%").arg(100));
    const int title =
        QFontMetrics(m.name).horizontalAdvance(QStringLiteral("A001_C0")) + kLineSpacing + badge;
    const int actions = m.send.width() + kLineSpacing + m.reveal.width();
    return 2 * kMargin + std::max(title, actions);
}

QList<JobRowAction> JobRowDelegate::actions(const QModelIndex &index) const {
    const JobStatus status = statusOf(index);
    if (status == JobStatus::queued)
        return {JobRowAction::remove};
    if (!isFinished(status))
        return {};
    if (m_showSendToFCP)
        return {JobRowAction::sendToFCP, JobRowAction::reveal};
    return {JobRowAction::reveal};
}

const JobRowDelegate::Metrics &JobRowDelegate::metrics(const QStyleOptionViewItem &option) const {
    if (m_metrics)
        return *m_metrics;
    const QWidget *widget = option.widget;
    QStyle *style = styleOf(option);
    Metrics m;
    m.name = UiText::font(11, true, true);
    m.small = UiText::font(10);
    m.smallMedium = UiText::font(10, true);
    // Lines are as tall as a label's: the font's height, rounded up.
    m.nameHeight = qCeil(QFontMetricsF(m.name).height());
    m.smallHeight = qCeil(QFontMetricsF(m.small).height());

    QStyleOptionToolButton tool =
        buttonOption<QStyleOptionToolButton>(option, {}, false, false, false);
    tool.state |= QStyle::State_AutoRaise;
    tool.iconSize = QSize(kRemoveSymbol, kRemoveSymbol);
    tool.toolButtonStyle = Qt::ToolButtonIconOnly;
    tool.rect.setSize(tool.iconSize);
    m.remove = style->sizeFromContents(QStyle::CT_ToolButton, &tool, tool.iconSize, widget);

    const auto pushSize = [&](JobRowAction action) {
        QStyleOptionButton push = buttonOption<QStyleOptionButton>(option, {}, false, false, false);
        push.fontMetrics = QFontMetrics(m.small);
        push.text = JobRowText::actionName(action);
        const QSize text = push.fontMetrics.size(Qt::TextShowMnemonic, push.text);
        push.rect.setSize(text);
        return style->sizeFromContents(QStyle::CT_PushButton, &push, text, widget);
    };
    m.send = pushSize(JobRowAction::sendToFCP);
    m.reveal = pushSize(JobRowAction::reveal);
    m_metrics = m;
    return *m_metrics;
}

int JobRowDelegate::layoutParts(const QStyleOptionViewItem &option, const QModelIndex &index,
                                Layout &l, bool titleLine) const {
    const Metrics &m = metrics(option);
    const JobStatus status = statusOf(index);
    const bool queued = status == JobStatus::queued;
    const int left = option.rect.left() + kMargin;
    const int width = std::max(option.rect.width() - 2 * kMargin, 0);
    const int top = option.rect.top() + kMargin;

    // Title line: name, flexible space, badge, and the remove button while queued.
    const int titleHeight = std::max({m.nameHeight, m.smallHeight, queued ? m.remove.height() : 0});
    if (titleLine) {
        int right = left + width;
        if (queued) {
            l.remove = QRect(right - m.remove.width(), top, m.remove.width(), titleHeight);
            right = l.remove.left() - kLineSpacing;
        }
        const QFont &badgeFont = queued ? m.small : m.smallMedium;
        // As wide as a label of that text would be.
        const int badgeWidth =
            QFontMetrics(badgeFont).size(0, index.data(JobListModel::BadgeRole).toString()).width();
        l.badge = QRect(right - badgeWidth, top, badgeWidth, titleHeight);
        l.name = QRect(left, top, std::max(l.badge.left() - kLineSpacing - left, 0), titleHeight);
    }

    int y = top + titleHeight + kSpacing;
    l.sizes = QRect(left, y, width, m.smallHeight);
    y += m.smallHeight;
    if (status == JobStatus::converting || index.data(JobListModel::ProgressRole).toDouble() > 0) {
        y += kSpacing;
        l.bar = QRect(left, y, width, kBarHeight);
        y += kBarHeight;
    }
    if (isFinished(status)) {
        y += kSpacing + kActionsAbove;
        int x = left;
        if (m_showSendToFCP) {
            l.send = QRect(QPoint(x, y), m.send);
            x = l.send.right() + 1 + kLineSpacing;
        }
        l.reveal = QRect(QPoint(x, y), m.reveal);
        y += std::max(m_showSendToFCP ? m.send.height() : 0, m.reveal.height());
    }
    return y;
}

JobRowDelegate::Layout JobRowDelegate::layout(const QStyleOptionViewItem &option,
                                              const QModelIndex &index) const {
    Layout l;
    const int y = layoutParts(option, index, l) + kSpacing;
    if (!index.data(JobListModel::NoticeRole).toString().isEmpty())
        l.notice =
            QRect(l.sizes.left(), y, l.sizes.width(), option.rect.bottom() + 1 - kMargin - y);
    return l;
}

QSize JobRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    Layout l;
    int y = layoutParts(option, index, l, false);
    if (const QString notice = index.data(JobListModel::NoticeRole).toString(); !notice.isEmpty()) {
        y += kSpacing + WrappedText::height(notice, metrics(option).small, l.sizes.width());
    }
    return {option.rect.width(), y + kMargin - option.rect.top()};
}

JobRowAction JobRowDelegate::actionAt(const QStyleOptionViewItem &option, const QModelIndex &index,
                                      const QPoint &pos) const {
    const Layout l = layout(option, index);
    for (JobRowAction action : actions(index)) {
        if (l.rect(action).contains(pos))
            return action;
    }
    return JobRowAction::none;
}

void JobRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const {
    const Metrics &m = metrics(option);
    const Layout l = layout(option, index);
    const JobStatus status = statusOf(index);
    const QPalette &palette = option.palette;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    paintCard(painter, option, status);

    // Title line: the name on one line, cut in the middle when too long.
    QString name = index.data(Qt::DisplayRole).toString();
    name.replace(u'\n', u' ');
    painter->setFont(m.name);
    painter->setPen(palette.color(QPalette::WindowText));
    painter->drawText(
        l.name, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(m.name).elidedText(name, Qt::ElideMiddle, std::max(l.name.width(), 20)));
    painter->setFont(status == JobStatus::queued ? m.small : m.smallMedium);
    painter->setPen(badgeColor(status, palette));
    painter->drawText(l.badge, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(JobListModel::BadgeRole).toString());
    if (!l.remove.isEmpty())
        paintRemoveButton(painter, option, l.remove, index.row());

    painter->setFont(m.small);
    painter->setPen(UiText::tertiary(palette));
    painter->drawText(l.sizes, Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(JobListModel::SizesRole).toString());

    if (!l.bar.isEmpty())
        paintBar(painter, palette, l.bar, index.data(JobListModel::ProgressRole).toDouble(),
                 status);

    if (!l.send.isEmpty())
        paintPushButton(painter, option, l.send, JobRowAction::sendToFCP, index.row());
    if (!l.reveal.isEmpty())
        paintPushButton(painter, option, l.reveal, JobRowAction::reveal, index.row());

    if (!l.notice.isEmpty()) {
        QTextLayout lines;
        WrappedText::layout(lines, index.data(JobListModel::NoticeRole).toString(), m.small,
                            l.notice.width());
        painter->setPen(Palette::darkRed(palette));
        lines.draw(painter, l.notice.topLeft());
    }

    // Keyboard focus on a row without buttons rings the whole card.
    if ((option.state & QStyle::State_HasFocus) && m_interaction.focusRow == index.row() &&
        m_interaction.focused == JobRowAction::none) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = option.rect.adjusted(2, 2, -2, -2);
        focus.backgroundColor = palette.color(QPalette::Base);
        styleOf(option)->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
    painter->restore();
}

void JobRowDelegate::paintCard(QPainter *painter, const QStyleOptionViewItem &option,
                               JobStatus status) {
    // The card, outlined in red while its file converts.
    QPainterPath card;
    card.addRoundedRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter->fillPath(card, option.palette.color(QPalette::Base));
    if (status == JobStatus::converting) {
        painter->setPen(QPen(Palette::withAlpha(Palette::red(), 0.45), 1));
        painter->drawPath(card);
    }
}

void JobRowDelegate::paintBar(QPainter *painter, const QPalette &palette, const QRect &bar,
                              double progress, JobStatus status) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(Palette::withAlpha(palette.color(QPalette::WindowText), 0.25));
    painter->drawRoundedRect(bar, 2, 2);
    const int filled = bar.width() * int(std::clamp(progress, 0.0, 1.0) * 1000) / 1000;
    if (filled > 0) {
        painter->setBrush(isFinished(status) ? Palette::green() : Palette::red());
        painter->drawRoundedRect(QRect(bar.topLeft(), QSize(filled, bar.height())), 2, 2);
    }
}

void JobRowDelegate::paintRemoveButton(QPainter *painter, const QStyleOptionViewItem &option,
                                       const QRect &rect, int row) const {
    const bool hovered =
        m_interaction.hoverRow == row && m_interaction.hovered == JobRowAction::remove;
    const bool focused = (option.state & QStyle::State_HasFocus) && m_interaction.focusRow == row &&
                         m_interaction.focused == JobRowAction::remove;
    // A borderless tool button: its panel shows only under the pointer.
    QStyleOptionToolButton tool = buttonOption<QStyleOptionToolButton>(
        option, rect, hovered, hovered && m_interaction.pressed, focused);
    tool.state |= QStyle::State_AutoRaise;
    tool.subControls = QStyle::SC_ToolButton;
    tool.activeSubControls =
        hovered && m_interaction.pressed ? QStyle::SC_ToolButton : QStyle::SC_None;
    tool.iconSize = QSize(kRemoveSymbol, kRemoveSymbol);
    tool.toolButtonStyle = Qt::ToolButtonIconOnly;
    styleOf(option)->drawComplexControl(QStyle::CC_ToolButton, &tool, painter, option.widget);

    // Its symbol: a filled circle with an × cut out of it.
    QRectF circle(0, 0, kRemoveSymbol, kRemoveSymbol);
    circle.moveCenter(QRectF(rect).center());
    painter->setPen(Qt::NoPen);
    painter->setBrush(UiText::tertiary(option.palette));
    painter->drawEllipse(circle);
    QPen cross(option.palette.color(QPalette::Base), 1.3);
    cross.setCapStyle(Qt::RoundCap);
    painter->setPen(cross);
    const QPointF c = circle.center();
    const qreal arm = 2.3;
    painter->drawLine(c + QPointF(-arm, -arm), c + QPointF(arm, arm));
    painter->drawLine(c + QPointF(-arm, arm), c + QPointF(arm, -arm));
}

void JobRowDelegate::paintPushButton(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QRect &rect, JobRowAction action, int row) const {
    const bool hovered = m_interaction.hoverRow == row && m_interaction.hovered == action;
    const bool focused = (option.state & QStyle::State_HasFocus) && m_interaction.focusRow == row &&
                         m_interaction.focused == action;
    QStyleOptionButton push = buttonOption<QStyleOptionButton>(
        option, rect, hovered, hovered && m_interaction.pressed, focused);
    push.text = JobRowText::actionName(action);
    push.fontMetrics = QFontMetrics(metrics(option).small);
    painter->save();
    painter->setFont(metrics(option).small);
    styleOf(option)->drawControl(QStyle::CE_PushButton, &push, painter, option.widget);
    painter->restore();
}

bool JobRowDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                               const QStyleOptionViewItem &option, const QModelIndex &index) {
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const Layout l = layout(option, index);
    QString tip;
    QRect area;
    if (l.remove.contains(event->pos())) {
        tip = JobRowText::actionName(JobRowAction::remove);
        area = l.remove;
    } else if (l.reveal.contains(event->pos())) {
        tip = tr("Show the movie in the file manager");
        area = l.reveal;
    } else if (l.name.contains(event->pos())) {
        tip = index.data(Qt::ToolTipRole).toString();
        area = l.name;
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport(), area);
    return true;
}
