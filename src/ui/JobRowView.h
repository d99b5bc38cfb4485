#pragma once

#include "model/TranscodeJob.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class ElidedLabel;
class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

// One job in the main window's list: name, status badge, sizes, progress,
// the actions for a finished file and the error of a failed one. It changes
// nothing itself: its buttons call the callbacks it was given. It redraws
// whenever its job announces a change.
class JobRowView : public QWidget {
    Q_OBJECT

public:
    JobRowView(TranscodeJob *job, bool showSendToFCP, std::function<void()> onRemove,
               std::function<void()> onSendToFCP, std::function<void()> onReveal,
               QWidget *parent = nullptr);

    TranscodeJob *job() const { return m_job; }
    void setShowSendToFCP(bool show);

    // "waiting", "converting 42%", "✓ done", …
    static QString badgeText(const TranscodeJob &job);
    // "1.2 GB → 430 MB  (64% smaller)"
    static QString sizeText(const TranscodeJob &job);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void refresh();
    // The parts that most rows never show are made when first needed, so
    // that a list of thousands of queued files stays light.
    QProgressBar *progressBar();
    QWidget *actionLine();
    QLabel *errorLabel();

    QPointer<TranscodeJob> m_job;
    bool m_showSendToFCP;
    ElidedLabel *m_name;
    QLabel *m_badge;
    QToolButton *m_remove;
    QLabel *m_sizes;
    QProgressBar *m_progress = nullptr;
    bool m_progressFinished = false;
    QWidget *m_actions = nullptr;
    QPushButton *m_send = nullptr;
    QPushButton *m_reveal = nullptr;
    QLabel *m_error = nullptr;
    std::function<void()> m_onSendToFCP;
    std::function<void()> m_onReveal;
};
