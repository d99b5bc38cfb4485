#include "CliReporter.h"

#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/ByteCountFormatter.h"
#include "platform/SignalWatcher.h"
#include "platform/StandardOutput.h"
#include "queue/ConversionSession.h"
#include "queue/JobReport.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>
#include <cstdio>

namespace {

// A file name as shown to people: control characters (a line feed or an
// escape in a name) become "?", so a name can never break a line or drive
// the terminal.
QString printable(const QString &name) {
    QString text = name;
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            c = u'?';
    }
    return text;
}

QString shownName(const TranscodeJob &job) {
    return printable(FileName::lastComponent(job.sourcePath()));
}

// "2.4 s" under a minute, else "1:05" or "1:02:05".
QString duration(qint64 ms) {
    if (ms < 60'000)
        return QString::number(ms / 1000.0, 'f', 1) + QStringLiteral(" s");
    const qint64 s = ms / 1000;
    const auto two = [](qint64 n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    if (s < 3600)
        return QString::number(s / 60) + u':' + two(s % 60);
    return QString::number(s / 3600) + u':' + two(s / 60 % 60) + u':' + two(s % 60);
}

// " (saved 77%)", or " (12% larger)" when the movie outgrew its source;
// nothing when the source had no size to compare with.
QString saving(qint64 source, qint64 movie) {
    if (source <= 0)
        return {};
    const int change = TranscodeJob::savingPercent(source, movie);
    if (change >= 0)
        return u" " + CliReporter::tr("(saved %1%)").arg(change);
    return u" " + CliReporter::tr("(%1% larger)").arg(-change);
}

int terminalColumns() {
    const int columns = StandardOutput::columns();
    return columns > 20 ? columns : 80;
}

void write(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CliReporter::CliReporter(Style style, bool quiet, QObject *parent)
    : QObject(parent), m_style(style), m_quiet(quiet) {
    m_runClock.start();
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &CliReporter::drawLive);
}

void CliReporter::follow(ConversionSession *session) {
    TranscodeQueue *queue = m_queue = session->queue();
    connect(session, &ConversionSession::jobsAdded, this, &CliReporter::added);
    connect(session, &ConversionSession::jobStarted, this, &CliReporter::started);
    connect(session, &ConversionSession::progressed, this, &CliReporter::progressed);
    connect(session, &ConversionSession::jobFinished, this, [this](TranscodeJob *job) {
        if (!m_reported.contains(job->id())) {
            m_reported.insert(job->id());
            finished(*job);
        }
    });
    const auto warnings = [this](const QList<UserText> &messages) {
        for (const UserText &message : messages)
            warning(message);
    };
    connect(queue, &TranscodeQueue::intakeWarnings, this, warnings);
    connect(queue, &TranscodeQueue::runWarnings, this, warnings);
    if (!queue->jobs().isEmpty())
        added(0, int(queue->jobs().size()) - 1);
}

void CliReporter::added(int first, int last) {
    for (int row = first; row <= last; ++row) {
        const TranscodeJob *job = m_queue->jobs().at(row);
        m_places.insert(job, row);
        jsonEvent(QStringLiteral("added"),
                  {{QStringLiteral("file"), job->sourcePath()},
                   {QStringLiteral("sourceBytes"), job->sourceSizeBytes()}});
    }
}

ProResPreset CliReporter::preset() const {
    return m_queue->settings().selectedPreset();
}

int CliReporter::place(const TranscodeJob &job) const {
    const int i = m_places.value(&job, -1);
    // A place that no longer holds the job (a list changed otherwise) is looked up.
    return m_queue->jobs().value(i) == &job ? i : int(m_queue->jobs().indexOf(&job));
}

QString CliReporter::position(const TranscodeJob &job) const {
    return u'[' + QString::number(place(job) + 1) + u'/' + QString::number(m_queue->jobs().size()) +
           u']';
}

void CliReporter::started(TranscodeJob *job) {
    m_current = job;
    m_percent = -1;
    m_jobClock.start();
    jsonEvent(QStringLiteral("started"),
              {{QStringLiteral("file"), job->sourcePath()},
               {QStringLiteral("index"), place(*job) + 1},
               {QStringLiteral("count"), m_queue->jobs().size()},
               {QStringLiteral("flavour"), ProResPresets::rawValue(preset())}});
    if (m_quiet)
        return;
    if (m_style == Style::plain)
        out(position(*job) + u' ' + shownName(*job) + u": " + tr("converting") + u'\n');
    if (m_style == Style::terminal) {
        drawLive();
        m_tick.start();
    }
}

void CliReporter::progressed(const QList<TranscodeJob *> &jobs) {
    // Progress is batched and may arrive after the conversion has ended and
    // set the job's final state (its 100 % comes then): it counts until the
    // job's end is reported.
    TranscodeJob *job = m_current;
    if (!job || !jobs.contains(job))
        return;
    const int percent = int(std::floor(job->progress() * 100.0 + 1e-9));
    if (percent == m_percent)
        return;
    m_percent = percent;
    if (!m_quiet)
        jsonEvent(QStringLiteral("progress"), {{QStringLiteral("file"), job->sourcePath()},
                                               {QStringLiteral("percent"), percent}});
    drawLive();
}

void CliReporter::finished(const TranscodeJob &job) {
    const qint64 ms = job.startedAt().isValid() ? m_jobClock.elapsed() : 0;
    const bool failed = job.status() == JobStatus::failed;
    if (&job == m_current) {
        m_tick.stop();
        closeLive();
        m_current = nullptr;
    }
    QJsonObject fields = JobReport::toJson(job);
    fields.insert(QStringLiteral("flavour"), ProResPresets::rawValue(preset()));
    fields.insert(QStringLiteral("seconds"), ms / 1000.0);
    jsonEvent(failed ? QStringLiteral("failed") : QStringLiteral("done"), fields);
    if (m_style == Style::json)
        return;

    const bool terminal = m_style == Style::terminal;
    const bool stopped = failed && m_stopped.contains(job.id());
    const QString sep = terminal ? QStringLiteral("  ") : QStringLiteral(", ");
    QString verdict;
    if (stopped)
        verdict = tr("stopped");
    else if (failed)
        verdict = terminal ? tr("FAILED") : tr("failed");
    else
        verdict = (job.status() == JobStatus::sentToFCP ? tr("done, sent to FCP") : tr("done")) +
                  sep + ByteCountFormatter::fileSize(job.sourceSizeBytes()) +
                  QStringLiteral(" → ") + ByteCountFormatter::fileSize(job.outputSizeBytes()) +
                  saving(job.sourceSizeBytes(), job.outputSizeBytes());
    if (!m_quiet)
        out(position(job) + u' ' + shownName(job) + (terminal ? u"  " : u": ") + verdict + sep +
            duration(ms) + u'\n');
    // A failure, or a converted clip whose hand-off to Final Cut Pro did
    // not happen.
    if ((failed && !stopped) || (!failed && job.handOffFailed()))
        err(u"tarnel-cli: " + shownName(job) + QStringLiteral(": ") +
            (job.errorText() ? job.errorText()->shown() : job.errorMessage().value_or(QString())) +
            u'\n');
}

QString CliReporter::liveLine() const {
    const TranscodeJob &job = *m_current;
    const qint64 estimate =
        qint64(double(job.sourceSizeBytes()) * ProResPresets::sizeRatio(preset()));
    const QString tail = QStringLiteral("  %1%  ").arg(std::max(m_percent, 0), 3) +
                         ByteCountFormatter::fileSize(job.sourceSizeBytes()) +
                         QStringLiteral(" → ~") + ByteCountFormatter::fileSize(estimate) +
                         QStringLiteral("  ") + duration(m_jobClock.elapsed());
    const QString head = position(job) + u' ';
    QString name = shownName(job);
    const qsizetype room = terminalColumns() - 1 - head.size() - tail.size();
    if (name.size() > room)
        name = room > 1 ? name.left(room - 1) + u'…' : QString();
    return head + name + tail;
}

void CliReporter::drawLive() {
    if (m_style != Style::terminal || m_quiet || !m_current)
        return;
    // Back to the start of the line, the new text, then clear what is left
    // of a longer previous text.
    out(u'\r' + liveLine() + QStringLiteral("\x1b[K"));
    m_liveShown = true;
}

void CliReporter::closeLive() {
    if (!m_liveShown)
        return;
    out(QStringLiteral("\r\x1b[K"));
    m_liveShown = false;
}

void CliReporter::command(const TranscodeJob &job, const QString &commandLine,
                          const QStringList &argv) {
    if (m_style == Style::json) {
        jsonEvent(QStringLiteral("command"),
                  {{QStringLiteral("file"), job.sourcePath()},
                   {QStringLiteral("commandLine"), commandLine},
                   {QStringLiteral("argv"), QJsonArray::fromStringList(argv)}});
        return;
    }
    out(commandLine + u'\n');
}

void CliReporter::interrupted(int signal, bool immediately) {
    m_interrupted = true;
    if (m_current)
        m_stopped.insert(m_current->id());
    jsonEvent(QStringLiteral("interrupted"),
              {{QStringLiteral("signal"), signal}, {QStringLiteral("immediately"), immediately}});
    if (m_style == Style::json)
        return;
    const QString name =
        signal == SIGINT ? QStringLiteral("Ctrl-C") : SignalWatcher::description(signal);
    if (immediately) {
        err(u"tarnel-cli: " + tr("%1 again: killing REDline and exiting now.").arg(name) + u'\n');
    } else if (m_current) {
        err(u"tarnel-cli: " +
            tr("%1: stopping REDline (%2 is left unfinished); press Ctrl-C again to stop at once.")
                .arg(name, shownName(*m_current)) +
            u'\n');
    }
}

void CliReporter::summary() {
    int converted = 0, failed = 0, stopped = 0, left = 0;
    qint64 sourceBytes = 0, movieBytes = 0;
    for (const TranscodeJob *job : m_queue->jobs()) {
        const JobStatus s = job->status();
        if (s == JobStatus::done || s == JobStatus::sentToFCP) {
            ++converted;
            sourceBytes += job->sourceSizeBytes();
            movieBytes += job->outputSizeBytes();
        } else if (s == JobStatus::failed) {
            ++(m_stopped.contains(job->id()) ? stopped : failed);
        } else {
            ++left;
        }
    }
    jsonEvent(QStringLiteral("summary"),
              {{QStringLiteral("files"), m_queue->jobs().size()},
               {QStringLiteral("converted"), converted},
               {QStringLiteral("failed"), failed},
               {QStringLiteral("stopped"), stopped},
               {QStringLiteral("notConverted"), left},
               {QStringLiteral("interrupted"), m_interrupted},
               {QStringLiteral("sourceBytes"), sourceBytes},
               {QStringLiteral("movieBytes"), movieBytes},
               {QStringLiteral("seconds"), m_runClock.elapsed() / 1000.0}});
    if (m_style == Style::json || m_quiet)
        return;
    QString text = tr("%1 of %2 converted")
                       .arg(QString::number(converted), QString::number(m_queue->jobs().size()));
    if (failed > 0)
        text += u", " + tr("%1 failed").arg(failed);
    if (stopped > 0)
        text += u", " + tr("%1 stopped").arg(stopped);
    if (left > 0)
        text += u", " + tr("%1 not converted").arg(left);
    if (converted > 0)
        text += u", " + ByteCountFormatter::fileSize(sourceBytes) + QStringLiteral(" → ") +
                ByteCountFormatter::fileSize(movieBytes) + saving(sourceBytes, movieBytes);
    text += u" " + tr("in %1").arg(duration(m_runClock.elapsed()));
    if (m_interrupted)
        text += u" " + tr("(interrupted)");
    if (failed > 0)
        text += u'\n' + tr("Details in the debug log: %1").arg(m_queue->logPath());
    out(text + u'\n');
}

void CliReporter::exported(const QString &path, int clips) {
    jsonEvent(QStringLiteral("fcpxml"),
              {{QStringLiteral("file"), path}, {QStringLiteral("clips"), clips}});
    if (m_style != Style::json && !m_quiet)
        out((clips == 1 ? tr("Final Cut document: %1 (%2 clip)")
                        : tr("Final Cut document: %1 (%2 clips)"))
                .arg(printable(path), QString::number(clips)) +
            u'\n');
}

void CliReporter::error(const QString &message) {
    if (m_style == Style::json)
        jsonEvent(QStringLiteral("error"), {{QStringLiteral("message"), message}});
    err(u"tarnel-cli: " + printable(message) + u'\n');
}

void CliReporter::warning(const UserText &message) {
    if (m_style == Style::json)
        jsonEvent(QStringLiteral("warning"), {{QStringLiteral("message"), message.english()}});
    err(u"tarnel-cli: " + tr("warning: %1").arg(printable(message.shown())) + u'\n');
}

void CliReporter::out(const QString &text) {
    write(stdout, text);
}

void CliReporter::err(const QString &text) {
    // Keep the live line out of the way of the message, and redraw it after.
    const bool redraw = m_liveShown;
    closeLive();
    write(stderr, text);
    if (redraw)
        drawLive();
}

void CliReporter::jsonEvent(const QString &name, QJsonObject fields) {
    if (m_style != Style::json)
        return;
    fields.insert(QStringLiteral("event"), name);
    out(QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)) + u'\n');
}
