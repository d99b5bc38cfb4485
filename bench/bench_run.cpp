// The conversion run's own cost:
//  1. 20 stand-in jobs through the queue, against the same 20 stand-in
//     commands run one after another by a shell script (the ratio);
//  2. how many progress updates reach the main thread for one job whose
//     stand-in prints 100,000 progress lines.
// Runs in a throwaway home, so the real settings, desktop and Videos folder
// are never touched.
#include "model/TranscodeJob.h"
#include "platform/SoundPlayer.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

namespace {

QTextStream out(stdout);

// Sleeps in an event loop until the run ends, as the application does. (A
// loop around processEvents(flags, ms) would spin: that call drops
// WaitForMoreEvents, and the spinning core is taken from the encoder.)
void waitForRun(TranscodeQueue &queue) {
    QEventLoop loop;
    QObject::connect(&queue, &TranscodeQueue::isConvertingChanged, &loop, [&] {
        if (!queue.isConverting())
            loop.quit();
    });
    if (queue.isConverting())
        loop.exec();
}

QList<QUrl> makeSources(const QString &folder, int count) {
    QDir().mkpath(folder);
    QList<QUrl> urls;
    for (int i = 0; i < count; ++i) {
        const QString path =
            folder + QStringLiteral("/A%1_C001.R3D").arg(i, 3, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("raw");
        urls << QUrl::fromLocalFile(path);
    }
    return urls;
}

} // namespace

int main(int argc, char *argv[]) {
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    QCoreApplication app(argc, argv);
    const QString sim = QStringLiteral(TARNEL_REDLINE_SIM);

    UserSettings settings;
    settings.setRedlinePath(sim);
    const QString outDir = home.path() + QStringLiteral("/out");
    settings.setOutputDirectory(QUrl::fromLocalFile(outDir + u'/'));
    settings.setPlayCompletionSound(false);

    // 1. Twenty jobs through the queue, then the same commands from a script.
    const int jobs = 20;
    const QList<QUrl> sources = makeSources(home.path() + QStringLiteral("/card"), jobs);
    const auto runQueue = [&](int *done) {
        TranscodeQueue queue(settings, SoundPlayer::system(), Workspace::shared());
        queue.setLogPath(home.path() + QStringLiteral("/log.txt"));
        queue.addFiles(sources);
        QElapsedTimer t;
        t.start();
        queue.start();
        waitForRun(queue);
        const double seconds = t.nsecsElapsed() / 1e9;
        *done = 0;
        for (const TranscodeJob *j : queue.jobs())
            *done += j->status() == JobStatus::done;
        return seconds;
    };

    QString script;
    const QString scriptOut = home.path() + QStringLiteral("/out-script");
    QDir().mkpath(scriptOut);
    for (const QUrl &u : sources) {
        const QString base = u.fileName().chopped(4);
        script += QStringLiteral("'%1' --i '%2' --o '%3_tarnel' --outDir '%4' --format 201 "
                                 "--PRcodec 2 --useRMD 2 --primaryDev --colorSpace 25 "
                                 "--gammaCurve 34 >/dev/null 2>&1 || exit 1\n")
                      .arg(sim, u.toLocalFile(), base, scriptOut);
    }
    int rc = 0;
    const auto runScript = [&] {
        QElapsedTimer t;
        t.start();
        rc |= QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script});
        return t.nsecsElapsed() / 1e9;
    };
    // Alternate, and keep the best of three of each, so that neither side
    // pays for a cold start.
    int done = 0;
    double queued = 1e9, shell = 1e9;
    for (int round = 0; round < 3; ++round) {
        shell = std::min(shell, runScript());
        queued = std::min(queued, runQueue(&done));
    }
    out << QStringLiteral("run: %1 jobs (%2 done) in %3 s through the queue; the same commands "
                          "from a shell script in %4 s (exit %5), best of 3 each; ratio %6; "
                          "overhead %7 ms per job\n")
               .arg(jobs)
               .arg(done)
               .arg(queued, 0, 'f', 2)
               .arg(shell, 0, 'f', 2)
               .arg(rc)
               .arg(queued / shell, 0, 'f', 3)
               .arg((queued - shell) * 1000 / jobs, 0, 'f', 1);
    out.flush();

    // 2. Progress updates for 100,000 progress lines.
    qputenv("REDLINE_SIM_PROGRESS_LINES", "100000");
    TranscodeQueue chatty(settings, SoundPlayer::system(), Workspace::shared());
    chatty.setLogPath(home.path() + QStringLiteral("/log2.txt"));
    chatty.addFiles(makeSources(home.path() + QStringLiteral("/card2"), 1));
    TranscodeJob *job = chatty.jobs().first();
    int updates = 0;
    QObject::connect(job, &TranscodeJob::progressChanged, &app, [&] { ++updates; });
    chatty.start();
    waitForRun(chatty);
    // Two of the updates are the run's own: 0 when the job starts, 1 when it is done.
    out << QStringLiteral("progress: 100000 progress lines gave %1 updates of the job's progress "
                          "(%2 from REDline's output, 2 from the run itself); job %3\n")
               .arg(updates)
               .arg(updates - 2)
               .arg(job->status() == JobStatus::done ? QStringLiteral("done")
                                                     : QStringLiteral("not done"));
    return 0;
}
