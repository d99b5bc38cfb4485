#pragma once

#include "model/ProResPreset.h"
#include "model/UserText.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QUuid>

class ConversionSession;
class TranscodeJob;
class TranscodeQueue;

// Tells the person or the script that started tarnel-cli what the queue is
// doing. Three styles:
//  - terminal: one live line per file (name, percent, sizes, elapsed time),
//    rewritten in place with a carriage return, with the overall count;
//  - plain: whole lines only, no control characters (logs, pipes);
//  - json: one JSON object per line and event: added, started, progress
//    (on each whole-percent change), done, failed, interrupted, summary.
// Results go to standard output, errors to standard error.
class CliReporter : public QObject {
    Q_OBJECT

public:
    enum class Style { terminal, plain, json };

    CliReporter(Style style, bool quiet, QObject *parent = nullptr);

    // Follows the session's events from now on: jobs added, started,
    // progressing and finished, and its queue's warnings. Before this, only
    // error() and warning() may be called.
    void follow(ConversionSession *session);
    // A dry run's command for one job.
    void command(const TranscodeJob &job, const QString &commandLine, const QStringList &argv);
    // A termination signal arrived: REDline is being stopped, or killed
    // when `immediately` (a second signal).
    void interrupted(int signal, bool immediately);
    // The whole-run Final Cut document was written.
    void exported(const QString &path, int clips);
    // The run is over: reports what is left and the totals.
    void summary();
    // An error that stops tarnel-cli before anything runs.
    void error(const QString &message);
    // Something the paths held that was not added as asked (a name that is
    // not UTF-8, a spanned clip with pieces missing); shown even when quiet.
    void warning(const UserText &message);

private:
    // Jobs added at these rows.
    void added(int first, int last);
    void started(TranscodeJob *job);
    void progressed(const QList<TranscodeJob *> &jobs);
    void finished(const TranscodeJob &job);

    // The job's index in the list.
    int place(const TranscodeJob &job) const;
    QString position(const TranscodeJob &job) const;
    // The flavour the run converts to, from the queue's settings.
    ProResPreset preset() const;
    QString liveLine() const;
    void drawLive();
    void closeLive();
    void out(const QString &text);
    void err(const QString &text);
    void jsonEvent(const QString &name, QJsonObject fields);

    TranscodeQueue *m_queue = nullptr;
    const Style m_style;
    const bool m_quiet;
    QSet<QUuid> m_reported;
    // Each job's place in the list; tarnel-cli only ever adds to the end.
    QHash<const TranscodeJob *, int> m_places;
    QSet<QUuid> m_stopped; // converting when the run was interrupted
    QPointer<TranscodeJob> m_current;
    int m_percent = -1;
    bool m_liveShown = false;
    bool m_interrupted = false;
    QElapsedTimer m_jobClock;
    QElapsedTimer m_runClock;
    QTimer m_tick; // redraws the elapsed time on a terminal
};
