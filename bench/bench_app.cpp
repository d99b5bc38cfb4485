// The application's start-up, memory and list, under a real (virtual) display:
//   bench_app <mode> <scratch-folder> <redline-sim> [count]
// startup: time from process start to the first paint of the main window;
// idle: peak resident size with the window shown;
// jobs N: N queued files added and first painted, and the peak resident size;
// scroll N: with N files listed, the time to scroll and repaint a frame;
// progress N: with N files listed, the painting per progress update of the
//   converting row;
// fail N: a run over N files that all fail (REDline path missing);
// run: after converting 5 stand-in jobs;
// cards N [ms]: a day of N cards (100 clips of 4 pieces each) dropped on the
//   window, every folder listing slowed by `ms` milliseconds (a slow disk or
//   network share): the longest the window's event loop waited between two
//   ticks of a 5 ms timer until the clips were listed and painted;
// steps N: a run of N quick conversions (the REDline given copies a small
//   movie): the median time from one job's start to the next's, over the
//   first and the last 100 steps (bench/run-step-bench).
// Run each mode in its own process (bench/run-app-bench does), so each peak
// is its own.
#include "AppMainView.h"
#include "CardTree.h"
#include "JobListView.h"
#include "MainWindow.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "platform/Workspace.h"
#include "queue/ClipSearch.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPaintEvent>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <ctime>
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

// Processor time used by this process so far, all threads.
double processCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
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

// Records the paint events of one widget (the list's viewport), or of all
// widgets when installed on the application.
class PaintLog : public QObject {
public:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) {
            ++events;
            rects << static_cast<QPaintEvent *>(event)->rect();
        }
        return false;
    }
    void clear() {
        events = 0;
        rects.clear();
    }
    int events = 0;
    QList<QRect> rects;
};

// How many rows of the list meet the rectangles.
int rowsIn(const JobListView *list, const QList<QRect> &rects) {
    int rows = 0;
    const int count = list->model()->rowCount();
    for (const QRect &r : rects) {
        for (int row = 0; row < count; ++row) {
            if (list->visualRect(list->model()->index(row, 0)).intersects(r))
                ++rows;
        }
    }
    return rows;
}

// N sparse R3D files in a folder of their own; made once per scratch folder.
QString clipFolder(const QString &scratch, int count) {
    const QString folder = scratch + QStringLiteral("/clips-%1").arg(count);
    if (QDir(folder).exists())
        return folder;
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile f(folder + QStringLiteral("/A%1_C001.R3D").arg(i, 6, 10, QLatin1Char('0')));
        f.open(QIODevice::WriteOnly);
        f.resize(2'000'000'000);
    }
    return folder;
}

// Adds the folder's files and returns once the list has been painted: the
// milliseconds until addFiles returned and until the first paint was done.
std::pair<double, double> addAndPaint(TranscodeQueue *queue, JobListView *list,
                                      const QString &folder) {
    PaintLog paints;
    list->viewport()->installEventFilter(&paints);
    QElapsedTimer t;
    t.start();
    queue->addFiles({QUrl::fromLocalFile(folder + u'/')});
    const double added = double(t.nsecsElapsed()) / 1e6;
    while (paints.events == 0)
        QApplication::processEvents();
    const double painted = double(t.nsecsElapsed()) / 1e6;
    list->viewport()->removeEventFilter(&paints);
    return {added, painted};
}

struct Frames {
    QList<double> ms;
    QString summary() const {
        QList<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        double sum = 0;
        for (double v : sorted)
            sum += v;
        return QStringLiteral("mean %1 ms, 95th percentile %2 ms, worst %3 ms over %4 frames")
            .arg(sum / double(sorted.size()), 0, 'f', 2)
            .arg(sorted.at(qsizetype(double(sorted.size()) * 0.95)), 0, 'f', 2)
            .arg(sorted.last(), 0, 'f', 2)
            .arg(sorted.size());
    }
};

// Moves the body's scroll bar and repaints: one frame.
double scrollFrame(QScrollBar *bar, int value) {
    QElapsedTimer t;
    t.start();
    bar->setValue(value);
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    const QString mode = app.arguments().value(1);
    const QString scratch = app.arguments().value(2);
    const int count = app.arguments().value(4).toInt();
    TarnelApp tarnel(Workspace::shared());
    tarnel.settings()->setRedlinePath(app.arguments().value(3));
    tarnel.settings()->setPlayCompletionSound(false);

    FirstPaint paint;
    QElapsedTimer sinceMain;
    sinceMain.start();
    MainWindow *window = tarnel.newWindow();
    window->view()->installEventFilter(&paint);
    TranscodeQueue *queue = window->view()->queue();
    JobListView *list = window->view()->jobList();
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
    const QString folder = count > 0 ? clipFolder(scratch, count) : QString();
    settle(1000);
    if (mode == u"idle") {
        out << "idle: peak resident " << peakResident() << '\n';
        return 0;
    }
    if (mode == u"jobs") {
        const auto [added, painted] = addAndPaint(queue, list, folder);
        out << QStringLiteral("jobs: %1 queued files added and first painted in %2 ms (addFiles "
                              "returned after %3 ms); peak resident %4\n")
                   .arg(count)
                   .arg(painted, 0, 'f', 0)
                   .arg(added, 0, 'f', 0)
                   .arg(peakResident());
        return 0;
    }
    if (mode == u"cards") {
        const int delay = app.arguments().value(5).toInt();
        const QString day = CardTree::make(scratch, count, 100, 4);
        queue->clipSearch()->setBeforeListing(
            [delay](const QString &) { QThread::msleep(static_cast<unsigned long>(delay)); });
        PaintLog paints;
        list->viewport()->installEventFilter(&paints);
        QElapsedTimer t;
        t.start();
        double last = 0, longest = 0, listed = -1;
        QTimer tick;
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const double now = double(t.nsecsElapsed()) / 1e6;
            longest = std::max(longest, now - last);
            last = now;
        });
        tick.start();
        // As a drop hands it over.
        QObject::connect(queue, &TranscodeQueue::jobsChanged,
                         [&] { listed = double(t.nsecsElapsed()) / 1e6; });
        queue->addFilesInBackground({QUrl::fromLocalFile(day + u'/')});
        while (listed < 0 || paints.events == 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The tick after the paint closes the last gap.
        const double painted = double(t.nsecsElapsed()) / 1e6;
        while (last < painted)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        out << QStringLiteral("cards: %1 cards, %2 files, %3 ms per listing: %4 clips listed after "
                              "%5 ms, painted after %6 ms; longest event-loop wait %7 ms\n")
                   .arg(count)
                   .arg(count * 400)
                   .arg(delay)
                   .arg(queue->jobs().size())
                   .arg(listed, 0, 'f', 0)
                   .arg(painted, 0, 'f', 0)
                   .arg(longest, 0, 'f', 1);
        return 0;
    }
    if (mode == u"scroll") {
        addAndPaint(queue, list, folder);
        settle(300);
        QScrollBar *bar = window->findChild<QScrollArea *>()->verticalScrollBar();
        PaintLog paints;
        list->viewport()->installEventFilter(&paints);
        Frames steps, pages, jumps;
        // Wheel-sized steps, then pages, then jumps anywhere in the list.
        for (int i = 1; i <= 300; ++i)
            steps.ms << scrollFrame(bar, i * bar->singleStep() * 3);
        for (int i = 1; i <= 100; ++i)
            pages.ms << scrollFrame(bar, bar->value() + bar->pageStep());
        QRandomGenerator random(7);
        for (int i = 0; i < 100; ++i)
            jumps.ms << scrollFrame(bar, random.bounded(bar->maximum()));
        list->viewport()->removeEventFilter(&paints);
        out << QStringLiteral("scroll: %1 files listed (list %2 px tall); %3 frames repainted the "
                              "list %4 times\n")
                   .arg(count)
                   .arg(list->height())
                   .arg(steps.ms.size() + pages.ms.size() + jumps.ms.size())
                   .arg(paints.events)
            << "  wheel steps: " << steps.summary() << '\n'
            << "  pages:       " << pages.summary() << '\n'
            << "  jumps:       " << jumps.summary() << '\n';
        return 0;
    }
    if (mode == u"progress") {
        addAndPaint(queue, list, folder);
        TranscodeJob *job = queue->jobs().first();
        job->setStatus(JobStatus::converting); // as the run marks it
        Q_EMIT queue->jobStarted(job);
        settle(300);
        PaintLog listPaints, allPaints;
        list->viewport()->installEventFilter(&listPaints);
        app.installEventFilter(&allPaints);
        const int updates = 200;
        QElapsedTimer t;
        t.start();
        for (int i = 1; i <= updates; ++i) {
            job->setProgress(double(i) / (updates + 1));
            QApplication::processEvents();
        }
        const double ms = double(t.nsecsElapsed()) / 1e6;
        app.removeEventFilter(&allPaints);
        list->viewport()->removeEventFilter(&listPaints);
        out << QStringLiteral("progress: %1 files listed, %2 progress updates: %3 ms per "
                              "update; list rows painted %4, paint events %5 (all widgets)\n")
                   .arg(count)
                   .arg(updates)
                   .arg(ms / updates, 0, 'f', 3)
                   .arg(rowsIn(list, listPaints.rects))
                   .arg(allPaints.events);
        return 0;
    }
    if (mode == u"fail") {
        tarnel.settings()->setRedlinePath(scratch + QStringLiteral("/no-such/REDline"));
        tarnel.settings()->setOutputDirectory(
            QUrl::fromLocalFile(scratch + QStringLiteral("/out/")));
        addAndPaint(queue, list, folder);
        QEventLoop loop;
        QObject::connect(queue, &TranscodeQueue::isConvertingChanged, &loop, [&] {
            if (!queue->isConverting())
                loop.quit();
        });
        QElapsedTimer t;
        t.start();
        const double cpuBefore = processCpuMs();
        queue->start();
        loop.exec();
        const qint64 ms = t.elapsed();
        const double cpu = processCpuMs() - cpuBefore;
        const auto failed =
            std::count_if(queue->jobs().cbegin(), queue->jobs().cend(),
                          [](const TranscodeJob *j) { return j->status() == JobStatus::failed; });
        out << QStringLiteral("fail: run over %1 files, %2 failed (REDline missing), in %3 ms "
                              "(%4 ms per file), %5 ms of processor time; peak resident %6\n")
                   .arg(count)
                   .arg(failed)
                   .arg(ms)
                   .arg(double(ms) / count, 0, 'f', 2)
                   .arg(cpu, 0, 'f', 0)
                   .arg(peakResident());
        return 0;
    }
    if (mode == u"steps") {
        tarnel.settings()->setOutputDirectory(
            QUrl::fromLocalFile(scratch + QStringLiteral("/out-steps/")));
        addAndPaint(queue, list, folder);
        // Each job's start: the wall clock, and the CPU time of this process
        // (all its threads, not REDline's), which other load hardly moves.
        QList<qint64> starts, cpu;
        QElapsedTimer t;
        t.start();
        for (TranscodeJob *job : queue->jobs())
            QObject::connect(job, &TranscodeJob::statusChanged, &app, [&, job] {
                if (job->status() != JobStatus::converting)
                    return;
                starts << t.nsecsElapsed();
                timespec now{};
                clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
                cpu << qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
            });
        QEventLoop loop;
        QObject::connect(queue, &TranscodeQueue::runFinished, &loop, &QEventLoop::quit);
        queue->start();
        loop.exec();
        const auto median = [](QList<double> v) {
            std::sort(v.begin(), v.end());
            return v.isEmpty() ? 0.0 : v.at(v.size() / 2);
        };
        QList<double> steps;
        for (qsizetype i = 1; i < starts.size(); ++i)
            steps << (starts.at(i) - starts.at(i - 1)) / 1e6;
        const double first = median(steps.mid(0, 100));
        const double last = median(steps.mid(std::max<qsizetype>(steps.size() - 100, 0)));
        // CPU per step over the first and the last 100 steps.
        const qsizetype n = cpu.size();
        const double cpuFirst = n > 100 ? (cpu.at(100) - cpu.at(0)) / 1e8 : 0.0;
        const double cpuLast = n > 100 ? (cpu.at(n - 1) - cpu.at(n - 101)) / 1e8 : 0.0;
        out << QStringLiteral("steps (window): %1 conversions, %2 failed; median step, first 100: "
                              "%3 ms, last 100: %4 ms; last/first %5; CPU per step %6 ms, "
                              "%7 ms; last/first %8\n")
                   .arg(queue->jobs().size())
                   .arg(std::count_if(
                       queue->jobs().cbegin(), queue->jobs().cend(),
                       [](const TranscodeJob *j) { return j->status() == JobStatus::failed; }))
                   .arg(first, 0, 'f', 2)
                   .arg(last, 0, 'f', 2)
                   .arg(first > 0 ? last / first : 0.0, 0, 'f', 2)
                   .arg(cpuFirst, 0, 'f', 2)
                   .arg(cpuLast, 0, 'f', 2)
                   .arg(cpuFirst > 0 ? cpuLast / cpuFirst : 0.0, 0, 'f', 2);
        return 0;
    }
    if (mode == u"run") {
        const QString five = scratch + QStringLiteral("/five");
        QDir().mkpath(five);
        for (int i = 0; i < 5; ++i) {
            QFile f(five + QStringLiteral("/B%1_C001.R3D").arg(i));
            f.open(QIODevice::WriteOnly);
            f.write("raw");
        }
        tarnel.settings()->setOutputDirectory(
            QUrl::fromLocalFile(scratch + QStringLiteral("/out/")));
        queue->addFiles({QUrl::fromLocalFile(five + u'/')});
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
