#include "StatusLine.h"

#include "Palette.h"
#include "UiText.h"
#include "WrappedText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {

constexpr int kPadding = 8;                     // above and below the text
constexpr int kSide = 12;                       // left of the sign and right of the text
constexpr int kSignGap = 8;                     // between the sign and the text
const QString kSign = QStringLiteral("\u26A0"); // warning sign

} // namespace

StatusLine::StatusLine(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("statusLine"));
    setAccessibleName(tr("Warning"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *copy = new QAction(tr("Copy"), this);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(m_text); });
    addAction(copy);
    setFocusPolicy(Qt::ClickFocus);
    setFont(UiText::font(11));
    setVisible(false);
}

void StatusLine::setText(const QString &text, Look look) {
    if (text == m_text && look == m_look)
        return;
    m_text = text;
    m_look = look;
    setAccessibleName(look == Look::warning ? tr("Warning") : tr("Status"));
    setAccessibleDescription(text);
    setVisible(!text.isEmpty());
    fitHeight();
    updateGeometry();
    update();
}

QRect StatusLine::textRect(const QRect &area) const {
    const int sign = fontMetrics().horizontalAdvance(kSign);
    return area.adjusted(kSide + sign + kSignGap, kPadding, -kSide, -kPadding);
}

int StatusLine::heightForWidth(int width) const {
    if (m_text.isEmpty())
        return 0;
    const QRect text = textRect(QRect(0, 0, width, 0));
    return std::max(WrappedText::height(m_text, font(), text.width()), fontMetrics().height()) +
           2 * kPadding;
}

QSize StatusLine::sizeHint() const {
    const int width = std::max(this->width(), minimumSizeHint().width());
    return {width, heightForWidth(width)};
}

QSize StatusLine::minimumSizeHint() const {
    // A few characters a line at least; the window decides the width.
    const int width = textRect(QRect(0, 0, 0, 0)).left() + kSide +
                      fontMetrics().horizontalAdvance(QStringLiteral("MMMMMMMM"));
    return {width, heightForWidth(this->width() > 0 ? this->width() : width)};
}

void StatusLine::fitHeight() {
    const int needed = m_text.isEmpty() ? 0 : heightForWidth(width());
    if (minimumHeight() != needed)
        setMinimumHeight(needed);
}

void StatusLine::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    fitHeight();
}

void StatusLine::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        fitHeight();
        updateGeometry();
    }
}

void StatusLine::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QPalette &colors = palette();
    const QColor amber = Palette::amber(colors);
    const QRect text = textRect(rect());
    p.setFont(font());
    if (m_look == Look::warning) {
        // A band tinted with the warning colour, under a line of it.
        p.fillRect(rect(), Palette::withAlpha(amber, Palette::isDark(colors) ? 0.22 : 0.12));
        p.fillRect(QRect(0, 0, width(), 1), Palette::withAlpha(amber, 0.6));
        p.setPen(amber);
        p.drawText(QRect(kSide, text.top(), text.left() - kSide, fontMetrics().height()),
                   Qt::AlignLeft | Qt::AlignVCenter, kSign);
    } else {
        p.fillRect(QRect(0, 0, width(), 1),
                   Palette::withAlpha(colors.color(QPalette::WindowText), 0.16));
    }
    QTextLayout lines;
    WrappedText::layout(lines, m_text, font(), text.width());
    p.setPen(m_look == Look::warning ? colors.color(QPalette::WindowText)
                                     : UiText::secondary(colors));
    lines.draw(&p, text.topLeft());
}
