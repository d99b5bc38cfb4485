// Takes the README's screenshots from the real application under a virtual
// display: the main window empty, with queued files, during a run, after a
// run with one failed job, and the settings window. It drives the windows
// through the same queue operations their controls call. Run it through
// scripts/screenshots, which prepares a throwaway profile first.
//
//   tarnel-screenshots <sample-clips-folder> <damaged-clip> <output-folder>
#include "AppMainView.h"
#include "MainWindow.h"
#include "PreferencesView.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>
#include <functional>

namespace {

void settle(int ms = 400) {
    QDeadlineTimer until(ms);
    while (!until.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool waitFor(const std::function<bool()> &condition, int ms) {
    QDeadlineTimer until(ms);
    while (!condition()) {
        if (until.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool save(QWidget *window, const QString &path) {
    settle();
    const bool ok = window->grab().save(path);
    QTextStream(stdout) << (ok ? "wrote " : "could not write ") << path << '\n';
    return ok;
}

} // namespace

int main(int argc, char *argv[]) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    if (argc != 4) {
        QTextStream(stderr) << "usage: tarnel-screenshots <clips-folder> <damaged-clip> <out>\n";
        return 2;
    }
    const QString clips = QString::fromLocal8Bit(argv[1]);
    const QString damaged = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(out);

    TarnelApp tarnel(Workspace::shared());
    MainWindow *window = tarnel.newWindow();
    TranscodeQueue *queue = window->view()->queue();
    bool ok = save(window, out + QStringLiteral("/screenshot-empty.png"));

    queue->addFiles({QUrl::fromLocalFile(clips + u'/'), QUrl::fromLocalFile(damaged)});
    ok &= save(window, out + QStringLiteral("/screenshot-queued.png"));

    queue->start();
    ok &= waitFor(
        [&] {
            const TranscodeJob *first = queue->jobs().value(0);
            return first && first->status() == JobStatus::converting && first->progress() >= 0.4;
        },
        60'000);
    ok &= save(window, out + QStringLiteral("/screenshot-running.png"));

    ok &= waitFor([&] { return !queue->isConverting(); }, 180'000);
    // Scrolled to the end of the list, where the failed job is.
    if (auto *scroll = window->findChild<QScrollArea *>()) {
        settle();
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    }
    ok &= save(window, out + QStringLiteral("/screenshot-finished.png"));

    PreferencesView *prefs = tarnel.showPreferences();
    ok &= save(prefs, out + QStringLiteral("/screenshot-preferences.png"));
    return ok ? 0 : 1;
}
