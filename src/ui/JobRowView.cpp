#include "JobRowView.h"

#include "ElidedLabel.h"
#include "Palette.h"
#include "UiText.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/ByteCountFormatter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QPushButton *smallButton(const QString &text, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setFont(UiText::font(10));
    b->setAccessibleName(text);
    return b;
}

} // namespace

JobRowView::JobRowView(TranscodeJob *job, bool showSendToFCP, std::function<void()> onRemove,
                       std::function<void()> onSendToFCP, std::function<void()> onReveal,
                       QWidget *parent)
    : QWidget(parent), m_job(job), m_showSendToFCP(showSendToFCP) {
    setObjectName(QStringLiteral("jobRow"));
    auto *column = new QVBoxLayout(this);
    column->setObjectName(QStringLiteral("column"));
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(5);

    auto *title = new QHBoxLayout;
    title->setSpacing(8);
    m_name = new ElidedLabel(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setFont(UiText::font(11, true, true));
    m_badge = new QLabel(this);
    m_badge->setObjectName(QStringLiteral("badge"));
    m_remove = new QToolButton(this);
    m_remove->setObjectName(QStringLiteral("remove"));
    m_remove->setAutoRaise(true);
    m_remove->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_remove->setIconSize({11, 11});
    m_remove->setToolTip(QStringLiteral("Remove from list"));
    m_remove->setAccessibleName(QStringLiteral("Remove from list"));
    title->addWidget(m_name, 1);
    title->addWidget(m_badge);
    title->addWidget(m_remove);
    column->addLayout(title);

    m_sizes = new QLabel(this);
    m_sizes->setObjectName(QStringLiteral("sizes"));
    m_sizes->setFont(UiText::font(10));
    column->addWidget(m_sizes);

    connect(m_remove, &QToolButton::clicked, this, [onRemove] { onRemove(); });
    m_onSendToFCP = std::move(onSendToFCP);
    m_onReveal = std::move(onReveal);

    // Every published change of the job redraws the row.
    for (auto signal :
         {&TranscodeJob::statusChanged, &TranscodeJob::progressChanged,
          &TranscodeJob::outputSizeBytesChanged, &TranscodeJob::sourceSizeBytesChanged,
          &TranscodeJob::errorMessageChanged, &TranscodeJob::outputURLChanged})
        connect(job, signal, this, &JobRowView::refresh);
    refresh();
}

void JobRowView::setShowSendToFCP(bool show) {
    if (show == m_showSendToFCP)
        return;
    m_showSendToFCP = show;
    refresh();
}

QProgressBar *JobRowView::progressBar() {
    if (!m_progress) {
        m_progress = new QProgressBar(this);
        m_progress->setObjectName(QStringLiteral("progress"));
        m_progress->setRange(0, 1000);
        m_progress->setTextVisible(false);
        m_progress->setFixedHeight(5); // a normal bar squeezed to 60 % of its height
        m_progress->setAccessibleName(QStringLiteral("Conversion progress"));
        static_cast<QVBoxLayout *>(layout())->insertWidget(2, m_progress);
        m_progressFinished = true; // forces the first tint below
    }
    return m_progress;
}

QWidget *JobRowView::actionLine() {
    if (!m_actions) {
        m_actions = new QWidget(this);
        auto *actions = new QHBoxLayout(m_actions);
        actions->setContentsMargins(0, 2, 0, 0);
        actions->setSpacing(8);
        m_send = smallButton(QStringLiteral("Send to Final Cut"), m_actions);
        m_send->setObjectName(QStringLiteral("send"));
        m_reveal = smallButton(QStringLiteral("Show in Finder"), m_actions);
        m_reveal->setObjectName(QStringLiteral("reveal"));
        m_reveal->setToolTip(QStringLiteral("Show the movie in the file manager"));
        actions->addWidget(m_send);
        actions->addWidget(m_reveal);
        actions->addStretch(1);
        connect(m_send, &QPushButton::clicked, this, [this] { m_onSendToFCP(); });
        connect(m_reveal, &QPushButton::clicked, this, [this] { m_onReveal(); });
        auto *column = static_cast<QVBoxLayout *>(layout());
        column->insertWidget(column->indexOf(m_progress) >= 0 ? 3 : 2, m_actions);
    }
    return m_actions;
}

QLabel *JobRowView::errorLabel() {
    if (!m_error) {
        m_error = new QLabel(this);
        m_error->setObjectName(QStringLiteral("error"));
        m_error->setFont(UiText::font(10));
        m_error->setWordWrap(true);
        m_error->setTextFormat(Qt::PlainText);
        m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
        UiText::setColor(m_error, Palette::darkRed());
        layout()->addWidget(m_error);
    }
    return m_error;
}

QString JobRowView::badgeText(const TranscodeJob &job) {
    switch (job.status()) {
    case JobStatus::queued:
        return QStringLiteral("waiting");
    case JobStatus::converting:
        if (job.progress() > 0.001)
            return u"converting " + QString::number(int(job.progress() * 100)) + u'%';
        return QStringLiteral("starting\u2026");
    case JobStatus::done:
        return QStringLiteral("\u2713 done");
    case JobStatus::sentToFCP:
        return QStringLiteral("\u2713 in Final Cut");
    case JobStatus::failed:
        return QStringLiteral("failed");
    }
    return {};
}

QString JobRowView::sizeText(const TranscodeJob &job) {
    const QString source = ByteCountFormatter::fileSize(job.sourceSizeBytes());
    if (job.outputSizeBytes() < 1)
        return source;
    int saving = 0;
    if (job.sourceSizeBytes() >= 1)
        saving = int((1.0 - double(job.outputSizeBytes()) / double(job.sourceSizeBytes())) * 100.0);
    QString text = source + u" \u2192 " + ByteCountFormatter::fileSize(job.outputSizeBytes());
    if (saving >= 1)
        text += u"  (" + QString::number(saving) + u"% smaller)";
    return text;
}

void JobRowView::refresh() {
    if (!m_job)
        return;
    const TranscodeJob &job = *m_job;
    const JobStatus status = job.status();
    const bool finished = status == JobStatus::done || status == JobStatus::sentToFCP;

    m_name->setFullText(FileName::baseName(job.sourceURL()));
    m_name->setToolTip(job.sourcePath());

    m_badge->setText(badgeText(job));
    m_badge->setFont(UiText::font(10, status != JobStatus::queued));
    const QColor badgeColor = status == JobStatus::queued       ? UiText::tertiary(this)
                              : status == JobStatus::converting ? Palette::amber()
                              : status == JobStatus::failed     ? Palette::darkRed()
                                                                : Palette::darkGreen();
    UiText::setColor(m_badge, badgeColor);
    m_remove->setVisible(status == JobStatus::queued);

    m_sizes->setText(sizeText(job));
    UiText::setColor(m_sizes, UiText::tertiary(this));

    const bool showBar = status == JobStatus::converting || job.progress() > 0;
    if (showBar || m_progress) {
        QProgressBar *bar = progressBar();
        bar->setVisible(showBar);
        bar->setValue(int(std::clamp(job.progress(), 0.0, 1.0) * 1000));
        if (finished != m_progressFinished || bar->styleSheet().isEmpty()) {
            // Style sheets are costly: set the tint only when it changes.
            m_progressFinished = finished;
            const QColor tint = finished ? Palette::green() : Palette::red();
            bar->setStyleSheet(
                QStringLiteral("QProgressBar { border: none; border-radius: 2px; background: %1; }"
                               "QProgressBar::chunk { border-radius: 2px; background: %2; }")
                    .arg(Palette::withAlpha(UiText::tertiary(this), 0.25).name(QColor::HexArgb),
                         tint.name()));
        }
    }

    if (finished || m_actions) {
        actionLine()->setVisible(finished);
        m_send->setVisible(m_showSendToFCP);
    }

    const auto error = job.errorMessage();
    const bool showError = status == JobStatus::failed && error.has_value();
    if (showError || m_error) {
        errorLabel()->setVisible(showError);
        m_error->setText(error.value_or(QString()));
    }

    setAccessibleName(m_name->fullText() + u", " + badgeText(job));
    update(); // the outline follows the state
}

void JobRowView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, 8, 8);
    p.fillPath(path, palette().color(QPalette::Base));
    const bool converting = m_job && m_job->status() == JobStatus::converting;
    p.setPen(
        QPen(converting ? Palette::withAlpha(Palette::red(), 0.45) : QColor(Qt::transparent), 1));
    p.drawPath(path);
}
