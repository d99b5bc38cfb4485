#include "AppMainView.h"
#include "MainWindow.h"
#include "TarnelApp.h"
#include "platform/Translations.h"
#include "platform/Workspace.h"
#include "queue/JobReport.h"
#include "queue/TranscodeQueue.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTimer>

namespace {

// For the demo and its test only. TARNEL_DEMO_FOLDER: the window takes that
// folder at start, as a drop would, and starts converting it. When the run
// ends, TARNEL_DEMO_PICTURE gets a picture of the window and
// TARNEL_DEMO_STATE the jobs' states as the queue holds them at that moment
// (one JSON object per line), and the application quits.
void takeDemoFolder(MainWindow *window) {
    const QString folder = qEnvironmentVariable("TARNEL_DEMO_FOLDER");
    if (folder.isEmpty())
        return;
    TranscodeQueue *queue = window->view()->queue();
    // Once the views have taken in the end of the run.
    const auto finish = [window, queue] {
        QTimer::singleShot(0, window, [window, queue] {
            QCoreApplication::sendPostedEvents();
            window->grab().save(qEnvironmentVariable("TARNEL_DEMO_PICTURE"));
            QSaveFile state(qEnvironmentVariable("TARNEL_DEMO_STATE"));
            if (state.open(QIODevice::WriteOnly)) {
                for (const TranscodeJob *job : queue->jobs())
                    state.write(
                        QJsonDocument(JobReport::toJson(*job)).toJson(QJsonDocument::Compact) +
                        '\n');
                state.commit();
            }
            QCoreApplication::quit();
        });
    };
    QObject::connect(queue, &TranscodeQueue::isConvertingChanged, window, [queue, finish] {
        if (!queue->isConverting())
            finish();
    });
    queue->addFiles({QUrl::fromLocalFile(QDir(folder).absolutePath() + u'/')});
    queue->start();
    if (!queue->isConverting()) // nothing to convert
        finish();
}

} // namespace

int main(int argc, char *argv[]) {
    Q_INIT_RESOURCE(resources);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnel"));
    QApplication::setDesktopFileName(QStringLiteral("tarnel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarnel.png")));
    // The window speaks the system locale's language where Tarnel has it.
    Translations::install();

    TarnelApp tarnel(Workspace::shared());
    takeDemoFolder(tarnel.newWindow());
    return app.exec();
}
