#pragma once

#include "JobRowAction.h"
#include "model/JobStatus.h"

#include <QFont>
#include <QList>
#include <QStyledItemDelegate>
#include <optional>

// Paints one job of the list as a card: the file name, a coloured status
// word, the sizes, a progress bar while the file converts, the buttons of a
// finished file and, wrapped over as many lines as it needs, the error text.
// Rows hold no widgets; the buttons are drawn by the style and answered by
// the view (JobListView), which tells the delegate which of them is
// hovered, pressed or focused.
class JobRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Where each part of a row is drawn; empty rectangles for absent parts.
    struct Layout {
        QRect name, badge, remove, sizes, bar, send, reveal, notice;
        QRect rect(JobRowAction action) const;
    };
    // The view's pointer and keyboard state, by row.
    struct Interaction {
        int hoverRow = -1;
        JobRowAction hovered = JobRowAction::none;
        bool pressed = false; // the hovered button is held down
        int focusRow = -1;
        JobRowAction focused = JobRowAction::none;
    };

    explicit JobRowDelegate(QObject *parent = nullptr);

    // Whether finished rows offer "Send to Final Cut".
    void setShowSendToFCP(bool show) { m_showSendToFCP = show; }
    bool showSendToFCP() const { return m_showSendToFCP; }
    void setInteraction(const Interaction &interaction) { m_interaction = interaction; }
    // Forgets the measured fonts and buttons, after the font or style changed.
    void resetMetrics() { m_metrics.reset(); }
    // The narrowest row that shows its status word and buttons whole.
    int minimumWidth(const QStyleOptionViewItem &option) const;

    // The buttons the row offers in its state, in drawing order.
    QList<JobRowAction> actions(const QModelIndex &index) const;
    Layout layout(const QStyleOptionViewItem &option, const QModelIndex &index) const;
    JobRowAction actionAt(const QStyleOptionViewItem &option, const QModelIndex &index,
                          const QPoint &pos) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // The row's height at the width of option.rect; the width asked for is
    // that width, so a row never grows wider than its list.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    struct Metrics {
        QFont name, small, smallMedium;
        int nameHeight = 0;  // one line of the file name
        int smallHeight = 0; // one line of size-10 text
        QSize remove, send, reveal;
    };
    const Metrics &metrics(const QStyleOptionViewItem &option) const;
    // Lays out everything but the notice's height; returns the y below the
    // last part before the notice. Measuring a height needs no title line
    // positions (nor the badge's text), so `titleLine` may skip them.
    int layoutParts(const QStyleOptionViewItem &option, const QModelIndex &index, Layout &l,
                    bool titleLine = true) const;
    // The card behind the row, and the progress bar.
    static void paintCard(QPainter *painter, const QStyleOptionViewItem &option, JobStatus status);
    static void paintBar(QPainter *painter, const QPalette &palette, const QRect &bar,
                         double progress, JobStatus status);
    void paintRemoveButton(QPainter *painter, const QStyleOptionViewItem &option, const QRect &rect,
                           int row) const;
    void paintPushButton(QPainter *painter, const QStyleOptionViewItem &option, const QRect &rect,
                         JobRowAction action, int row) const;

    bool m_showSendToFCP = true;
    Interaction m_interaction;
    mutable std::optional<Metrics> m_metrics;
};
