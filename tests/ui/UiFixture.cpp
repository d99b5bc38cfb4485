#include "UiFixture.h"

#include "JobListView.h"
#include "JobRowDelegate.h"

void UiFixture::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    TestEnvironment::instance().clearSettings();
    m_settings = std::make_unique<UserSettings>();
    m_workspace = RecordingWorkspace();
}

void UiFixture::cleanup() {
    m_settings.reset();
}

void UiFixture::addClips(TranscodeQueue *queue, const QStringList &names) {
    queue->setLogPath(path("log.txt"));
    for (const QString &name : names) {
        QDir().mkpath(QFileInfo(path(name)).path());
        TestTools::touch(path(name), 1000);
        queue->addFiles({QUrl::fromLocalFile(path(name))});
    }
}

std::unique_ptr<AppMainView> UiFixture::viewWith(const QStringList &names) {
    auto view = std::make_unique<AppMainView>(m_settings.get(), m_workspace);
    addClips(view->queue(), names);
    view->show();
    return view;
}

qint64 UiFixture::startGatedRun(TranscodeQueue *queue) {
    addClips(queue, {"A.R3D"});
    queue->start();
    if (!QTest::qWaitFor([&] { return QFile::exists(path("started")); }, 30'000))
        return 0;
    return TestTools::recordedGroup(path("started"));
}

void UiFixture::finish(TranscodeJob *job, const QString &movie) {
    job->setOutputURL(QUrl::fromLocalFile(movie));
    job->setProgress(1.0);
    job->setStatus(JobStatus::done);
    announce(job);
}

void UiFixture::dropUrls(QWidget *target, const QList<QUrl> &urls) {
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

void UiFixture::clickButton(JobListView *list, int row, JobRowAction action) {
    QCoreApplication::processEvents(); // pending layouts
    const QModelIndex index = list->model()->index(row, 0);
    const QRect button = list->rowDelegate()->layout(list->rowOption(index), index).rect(action);
    QVERIFY(!button.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, button.center());
}
