#include "CliRun.h"

#include "CliReporter.h"
#include "ExitStatus.h"
#include "ShellQuote.h"
#include "fcpxml/FCPXMLGenerator.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/DebugLog.h"
#include "platform/SignalWatcher.h"
#include "platform/StandardOutput.h"
#include "platform/Workspace.h"
#include "queue/ConversionSession.h"
#include "queue/TranscodeQueue.h"
#include "runner/REDlineRunner.h"
#include "settings/UserSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

CliRun::CliRun(CliOptions options, QObject *parent)
    : QObject(parent), m_options(std::move(options)) {
}

CliRun::~CliRun() = default;

TranscodeQueue *CliRun::queue() const {
    return m_session->queue();
}

QString CliRun::cannotStart() const {
    using Obstacle = ConversionSession::Obstacle;
    const Obstacle obstacle = m_session->obstacle();
    const QString redline = m_settings->redlinePath();
    const QFileInfo program(redline);
    // As in the window, and checked up front for a program that can run and
    // a folder that exists, so that a script learns it at once.
    if (obstacle == Obstacle::redlineMissing || !program.isFile() || !program.isExecutable())
        return tr("REDline not found at: %1 (set it in the Tarnel window's settings, or use "
                  "--redline)")
            .arg(redline);
    const QString output = FileName::folderPath(m_settings->outputDirectoryURL());
    // A stored folder that cannot be used stops the run; the settings keep
    // it as it is.
    if (const QString problem = m_settings->outputDirectoryProblem();
        output.isEmpty() && !problem.isEmpty())
        return tr("%1 (use --output, or pick a folder in the Tarnel window)").arg(problem);
    if (obstacle == Obstacle::noOutputFolder || !QFileInfo(output).isDir())
        return tr("no output folder: %1").arg(output);
    for (const QString &path : m_options.paths) {
        if (!QFileInfo::exists(path))
            return tr("no such file or folder: %1").arg(path);
    }
    return {};
}

QList<QUrl> CliRun::urls() const {
    // As a drop hands them over: folders as folder URLs ending in "/".
    QList<QUrl> urls;
    for (const QString &path : m_options.paths) {
        const QFileInfo info(path);
        const QString absolute = QDir::cleanPath(info.absoluteFilePath());
        urls << QUrl::fromLocalFile(info.isDir() && !absolute.endsWith(u'/') ? absolute + u'/'
                                                                             : absolute);
    }
    return urls;
}

int CliRun::exec() {
    const CliReporter::Style style = m_options.json                 ? CliReporter::Style::json
                                     : StandardOutput::isTerminal() ? CliReporter::Style::terminal
                                                                    : CliReporter::Style::plain;
    m_reporter = std::make_unique<CliReporter>(style, m_options.quiet);

    // A folder given with --output is created like one picked in the
    // window, and checked before the settings would fall back from it.
    if (const QString output = m_options.outputDirectory; !output.isEmpty()) {
        UserSettings::ensureDirectoryExists(QUrl::fromLocalFile(output + u'/'));
        if (!QFileInfo(output).isDir()) {
            m_reporter->error(tr("no output folder: %1").arg(output));
            return exitCannotStart;
        }
    }
    m_settings = std::make_unique<UserSettings>(m_options.sessionValues());
    m_session = std::make_unique<ConversionSession>(
        *m_settings, ConversionSession::desktopServices(Workspace::shared()));
    if (const QString why = cannotStart(); !why.isEmpty()) {
        m_reporter->error(why);
        return exitCannotStart;
    }
    m_reporter->follow(m_session.get());
    queue()->addFiles(urls());
    if (queue()->jobs().isEmpty()) {
        m_reporter->error(
            tr("no R3D files found in: %1").arg(m_options.paths.join(QStringLiteral(", "))));
        return exitCannotStart;
    }
    return m_options.dryRun ? dryRun() : convert();
}

int CliRun::dryRun() {
    const QString program = m_settings->redlinePath();
    const QString outDir = FileName::folderPath(m_settings->outputDirectoryURL());
    for (const TranscodeJob *job : queue()->jobs()) {
        // The runner's own argument list, so the text is what a run would do.
        const QStringList arguments =
            REDlineRunner::arguments(job->sourcePath(), queue()->outputName(job, outDir), outDir,
                                     m_settings->selectedPreset());
        m_reporter->command(*job, ShellQuote::commandLine(program, arguments),
                            QStringList{program} + arguments);
    }
    return exitConverted;
}

int CliRun::convert() {
    const QString who =
        u"tarnel-cli[" + QString::number(QCoreApplication::applicationPid()) + u"]: ";
    queue()->log(who + u"converting " + QString::number(queue()->queuedCount()) +
                 u" file(s) with " + ProResPresets::rawValue(m_settings->selectedPreset()) +
                 u" into " + FileName::folderPath(m_settings->outputDirectoryURL()));

    QEventLoop loop;
    int signalled = 0;
    SignalWatcher signals;
    connect(&signals, &SignalWatcher::received, this, [&](int signal) {
        const bool again = signalled != 0;
        if (!again)
            signalled = signal;
        m_reporter->interrupted(signal, again);
        queue()->abandonRun(again);
        // A second signal does not wait for REDline's end; neither does one
        // that arrives when nothing runs.
        if (again || !queue()->isConverting())
            loop.exit(exitSignalBase + signalled);
    });
    connect(queue(), &TranscodeQueue::isConvertingChanged, this, [&] {
        if (!queue()->isConverting())
            loop.exit(-1);
    });
    queue()->start();
    int status = loop.exec();
    if (status < 0) {
        const bool anyFailed = std::any_of(
            queue()->jobs().cbegin(), queue()->jobs().cend(), [](const TranscodeJob *job) {
                return job->status() == JobStatus::failed || job->status() == JobStatus::queued;
            });
        status = signalled   ? exitSignalBase + signalled
                 : anyFailed ? exitSomeFailed
                             : exitConverted;
    }
    if (const QString path = m_options.fcpxmlPath; !path.isEmpty() && !signalled) {
        if (const auto error = FCPXMLGenerator::exportDocument(queue()->jobs(), path)) {
            m_reporter->error(error->shown());
            if (status == exitConverted)
                status = exitSomeFailed;
        } else {
            const auto clips = FCPXMLGenerator::convertedClips(queue()->jobs()).size();
            queue()->log(who + u"Final Cut document with " + QString::number(clips) +
                         u" clip(s) written to " + path);
            m_reporter->exported(path, int(clips));
        }
    }
    m_reporter->summary();
    // After a second signal REDline may still be dying: the session goes
    // away first, which waits for it, so the last entry is written when it
    // is gone. The session's end-of-run notification, due once the event
    // loop runs again, goes with it: the summary above tells the run's end.
    const DebugLog log(queue()->logPath());
    m_session.reset();
    log.append(who + u"exit status " + QString::number(status));
    return status;
}
