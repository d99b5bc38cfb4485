// Takes the README's screenshots from the real application under a virtual
// display: the main window empty, with queued files, during a run, after a
// run with one failed job, and the settings window. It drives the windows
// through the same queue operations their controls call. Run it through
// scripts/screenshots, which prepares a throwaway profile first.
//
//   tarnel-screenshots <sample-clips-folder> <damaged-clip> <output-folder>
//                      [dark|scaled|german]
//
// "dark" takes only the window after a run, in a dark theme's colours, as
// screenshot-dark.png; "scaled" only that window as screenshot-scaled.png
// (run it with QT_SCALE_FACTOR=2 and a larger font); "german" only that
// window in German, as screenshot-german.png.
#include "AppMainView.h"
#include "MainWindow.h"
#include "PreferencesView.h"
#include "TarnelApp.h"
#include "model/TranscodeJob.h"
#include "platform/Translations.h"
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

// The colours of a typical dark desktop theme.
QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2d, 0x2d, 0x2d), base(0x1f, 0x1f, 0x1f), text(0xee, 0xee, 0xee);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, base);
        p.setColor(group, QPalette::ToolTipText, text);
        p.setColor(group, QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
        p.setColor(group, QPalette::Light, QColor(0x4a, 0x4a, 0x4a));
        p.setColor(group, QPalette::Midlight, QColor(0x42, 0x42, 0x42));
        p.setColor(group, QPalette::Mid, QColor(0x30, 0x30, 0x30));
        p.setColor(group, QPalette::Dark, QColor(0x20, 0x20, 0x20));
        p.setColor(group, QPalette::Shadow, Qt::black);
    }
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Window, window);
    p.setColor(QPalette::Disabled, QPalette::Base, base);
    p.setColor(QPalette::Disabled, QPalette::Button, QColor(0x33, 0x33, 0x33));
    return p;
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
    const QString mode = argc == 5 ? QString::fromLocal8Bit(argv[4]) : QString();
    if ((argc != 4 && argc != 5) ||
        !(mode.isEmpty() || mode == u"dark" || mode == u"scaled" || mode == u"german")) {
        QTextStream(stderr) << "usage: tarnel-screenshots <clips-folder> <damaged-clip> <out> "
                               "[dark|scaled|german]\n";
        return 2;
    }
    const QString clips = QString::fromLocal8Bit(argv[1]);
    const QString damaged = QString::fromLocal8Bit(argv[2]);
    const QString out = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(out);
    if (mode == u"dark") {
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setPalette(darkPalette());
    }
    if (mode == u"german")
        Translations::install(QLocale(QStringLiteral("de_DE")));
    const bool all = mode.isEmpty();

    TarnelApp tarnel(Workspace::shared());
    MainWindow *window = tarnel.newWindow();
    TranscodeQueue *queue = window->view()->queue();
    bool ok = !all || save(window, out + QStringLiteral("/screenshot-empty.png"));

    queue->addFiles({QUrl::fromLocalFile(clips + u'/'), QUrl::fromLocalFile(damaged)});
    if (all)
        ok &= save(window, out + QStringLiteral("/screenshot-queued.png"));

    queue->start();
    ok &= waitFor(
        [&] {
            const TranscodeJob *first = queue->jobs().value(0);
            return first && first->status() == JobStatus::converting && first->progress() >= 0.4;
        },
        60'000);
    if (all)
        ok &= save(window, out + QStringLiteral("/screenshot-running.png"));

    ok &= waitFor([&] { return !queue->isConverting(); }, 180'000);
    // Scrolled to the end of the list, where the failed job is.
    if (auto *scroll = window->findChild<QScrollArea *>()) {
        settle();
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    }
    if (!all)
        return save(window, out + u"/screenshot-" + mode + u".png") && ok ? 0 : 1;
    ok &= save(window, out + QStringLiteral("/screenshot-finished.png"));

    PreferencesView *prefs = tarnel.showPreferences();
    ok &= save(prefs, out + QStringLiteral("/screenshot-preferences.png"));
    return ok ? 0 : 1;
}
