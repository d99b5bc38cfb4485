// The application's start-up and memory, under a real (virtual) display:
//   bench_app startup|idle|jobs|run <scratch-folder> <redline-sim>
// startup: time from process start to the first paint of the main window;
// idle: peak resident size with the window shown; jobs: with 10,000 queued
// jobs listed; run: after converting 5 stand-in jobs. Run each mode in its
// own process (bench/run-app-bench does), so each peak is its own.
#include "AppMainView.h"
#include "MainWindow.h"
#include "TarnelApp.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <unistd.h>

namespace {

QTextStream out(stdout);

// Seconds since this process was started, from /proc (10 ms resolution).
double secondsSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double started = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    return uptime.readAll().split(' ').value(0).toDouble() - started;
}

QString peakResident() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).trimmed());
    }
    return QStringLiteral("?");
}

void settle(int ms) {
    QDeadlineTimer until(ms);
    while (!until.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && seconds < 0)
            seconds = secondsSinceProcessStart();
        return false;
    }
    double seconds = -1;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QString mode = app.arguments().value(1);
    const QString scratch = app.arguments().value(2);
    TarnelApp tarnel(Workspace::shared());
    tarnel.settings()->setRedlinePath(app.arguments().value(3));
    tarnel.settings()->setPlayCompletionSound(false);

    FirstPaint paint;
    QElapsedTimer sinceMain;
    sinceMain.start();
    MainWindow *window = tarnel.newWindow();
    window->view()->installEventFilter(&paint);
    TranscodeQueue *queue = window->view()->queue();
    queue->setLogPath(scratch + QStringLiteral("/log.txt"));

    if (mode == u"startup") {
        while (paint.seconds < 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        out << QStringLiteral("startup: first paint of the main window %1 ms after the process "
                              "started (%2 ms after main window creation)\n")
                   .arg(paint.seconds * 1000, 0, 'f', 0)
                   .arg(sinceMain.elapsed());
        return 0;
    }
    settle(1000);
    if (mode == u"idle") {
        out << "idle: peak resident " << peakResident() << '\n';
        return 0;
    }
    if (mode == u"jobs") {
        const QString folder = scratch + QStringLiteral("/many");
        QDir().mkpath(folder);
        for (int i = 0; i < 10'000; ++i) {
            QFile f(folder + QStringLiteral("/A%1_C001.R3D").arg(i, 5, 10, QLatin1Char('0')));
            f.open(QIODevice::WriteOnly);
            f.resize(2'000'000'000);
        }
        QElapsedTimer t;
        t.start();
        queue->addFiles({QUrl::fromLocalFile(folder + u'/')});
        const qint64 added = t.elapsed();
        settle(500);
        out << QStringLiteral("jobs: 10000 queued jobs listed in %1 ms (adding and drawing the "
                              "rows); peak resident %2\n")
                   .arg(added)
                   .arg(peakResident());
        return 0;
    }
    if (mode == u"run") {
        const QString folder = scratch + QStringLiteral("/five");
        QDir().mkpath(folder);
        for (int i = 0; i < 5; ++i) {
            QFile f(folder + QStringLiteral("/B%1_C001.R3D").arg(i));
            f.open(QIODevice::WriteOnly);
            f.write("raw");
        }
        tarnel.settings()->setOutputDirectory(
            QUrl::fromLocalFile(scratch + QStringLiteral("/out/")));
        queue->addFiles({QUrl::fromLocalFile(folder + u'/')});
        QEventLoop loop;
        QObject::connect(queue, &TranscodeQueue::isConvertingChanged, &loop, [&] {
            if (!queue->isConverting())
                loop.quit();
        });
        queue->start();
        loop.exec();
        out << "run: 5 stand-in conversions; peak resident " << peakResident() << '\n';
        return 0;
    }
    out << "unknown mode\n";
    return 2;
}
