#include "MainWindow.h"

#include "AppMainView.h"
#include "StatusLine.h"
#include "TarnelApp.h"
#include "fcpxml/FCPXMLGenerator.h"
#include "model/FileName.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QVBoxLayout>

MainWindow::MainWindow(UserSettings *settings, TarnelApp *app)
    : m_settings(settings), m_view(new AppMainView(settings, app->workspace())),
      m_statusLine(new StatusLine) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tarnel"));
    // The view above the status line, which shows only when it has something
    // to say.
    auto *content = new QWidget(this);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_view, 1);
    column->addWidget(m_statusLine);
    setCentralWidget(content);
    buildMenus(app);
    connect(settings, &UserSettings::saveErrorChanged, this, &MainWindow::showStatus);
    connect(m_view->queue(), &TranscodeQueue::intakeWarningsChanged, this, &MainWindow::showStatus);
    connect(m_view->queue(), &TranscodeQueue::lookingForClipsChanged, this,
            &MainWindow::showStatus);
    showStatus();
    connect(m_view->queue(), &TranscodeQueue::isConvertingChanged, this, &MainWindow::runEnded);
    resize(openingSize());
}

QSize MainWindow::openingSize() {
    // The view's own size (520 × 660) with the menu bar, within the screen's
    // free area less room for the title bar: on a small or highly scaled
    // screen the window opens smaller, and the body scrolls.
    const QSize wanted = sizeHint().expandedTo(minimumSizeHint());
    const QScreen *display = screen();
    if (!display)
        return wanted;
    const QSize room = display->availableSize() - QSize(0, 40);
    return wanted.boundedTo(room).expandedTo(minimumSizeHint());
}

void MainWindow::showStatus() {
    // Settings that cannot be saved come first; then a drop still being
    // searched; then what intake found wrong with the list as it is now (a
    // few messages, each whole); then the last export's outcome.
    const QString saveError = m_settings->saveError();
    if (!saveError.isEmpty()) {
        m_statusLine->setText(saveError);
        return;
    }
    if (m_view->queue()->isLookingForClips()) {
        m_statusLine->setText(tr("Looking for clips…"), StatusLine::Look::plain);
        return;
    }
    const QList<UserText> &messages = m_view->queue()->currentIntakeWarnings();
    constexpr qsizetype shown = 3;
    QStringList lines;
    for (const UserText &message : messages.mid(0, shown)) {
        const QString text = message.shown();
        lines << text.left(1).toUpper() + text.mid(1);
    }
    if (messages.size() > shown)
        lines << tr("… and %1 more in the debug log").arg(messages.size() - shown);
    if (lines.isEmpty())
        m_statusLine->setText(m_exportNote,
                              m_exportFailed ? StatusLine::Look::warning : StatusLine::Look::plain);
    else
        m_statusLine->setText(lines.join(u'\n'));
}

void MainWindow::buildMenus(TarnelApp *app) {
    buildFileMenu(app);
    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *prefs = edit->addAction(tr("Settings…"), app, &TarnelApp::showPreferences);
    prefs->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    prefs->setMenuRole(QAction::PreferencesRole);
    buildOptionsMenu();
}

void MainWindow::buildFileMenu(TarnelApp *app) {
    QMenu *file = menuBar()->addMenu(tr("&File"));
    QAction *newWindow = file->addAction(tr("New Window"), app, &TarnelApp::newWindow);
    newWindow->setShortcut(QKeySequence::New);
    QAction *add = file->addAction(tr("Add Files…"), m_view, &AppMainView::addFiles);
    add->setShortcut(QKeySequence::Open);
    connect(m_view->queue(), &TranscodeQueue::isConvertingChanged, add,
            [this, add] { add->setEnabled(!m_view->queue()->isConverting()); });
    // One document for every converted clip, to import a whole card at once.
    QAction *exportAll =
        file->addAction(tr("Export for Final Cut…"), this, &MainWindow::chooseExportFile);
    exportAll->setObjectName(QStringLiteral("exportAction"));
    const auto syncExport = [this, exportAll] {
        const QList<TranscodeJob *> &jobs = m_view->queue()->jobs();
        exportAll->setEnabled(std::any_of(jobs.cbegin(), jobs.cend(),
                                          [](const TranscodeJob *j) { return j->hasOutputURL(); }));
    };
    syncExport();
    connect(file, &QMenu::aboutToShow, this, syncExport);
    connect(m_view->queue(), &TranscodeQueue::jobsChanged, this, syncExport);
    connect(m_view->queue(), &TranscodeQueue::isConvertingChanged, this, syncExport);
    file->addSeparator();
    QAction *close = file->addAction(tr("Close Window"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction *quit = file->addAction(tr("Quit Tarnel"), app, &TarnelApp::quit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
}

void MainWindow::buildOptionsMenu() {
    QMenu *options = menuBar()->addMenu(tr("Options"));
    options->setObjectName(QStringLiteral("optionsMenu"));
    QAction *autoSend = options->addAction(tr("Send to Final Cut Pro when finished"));
    autoSend->setObjectName(QStringLiteral("autoSendAction"));
    autoSend->setCheckable(true);
    QAction *likeClips = options->addAction(tr("Name movies like their clips"));
    likeClips->setObjectName(QStringLiteral("nameLikeClipsAction"));
    likeClips->setCheckable(true);
    options->addSeparator();
    QAction *sound = options->addAction(tr("Play sound when finished"));
    sound->setObjectName(QStringLiteral("soundAction"));
    sound->setCheckable(true);
    // The check marks always show the stored values.
    const auto sync = [this, autoSend, likeClips, sound] {
        autoSend->setChecked(m_settings->autoSendToFCP());
        likeClips->setChecked(m_settings->nameMoviesLikeClips());
        sound->setChecked(m_settings->playCompletionSound());
    };
    sync();
    connect(options, &QMenu::aboutToShow, this, sync);
    connect(m_settings, &UserSettings::autoSendToFCPChanged, this, sync);
    connect(m_settings, &UserSettings::playCompletionSoundChanged, this, sync);
    connect(m_settings, &UserSettings::nameMoviesLikeClipsChanged, this, sync);
    connect(likeClips, &QAction::triggered, this,
            [this] { m_settings->setNameMoviesLikeClips(!m_settings->nameMoviesLikeClips()); });
    connect(autoSend, &QAction::triggered, this,
            [this] { m_settings->setAutoSendToFCP(!m_settings->autoSendToFCP()); });
    connect(sound, &QAction::triggered, this,
            [this] { m_settings->setPlayCompletionSound(!m_settings->playCompletionSound()); });
}

void MainWindow::chooseExportFile() {
    const QString folder = FileName::folderPath(m_settings->outputDirectoryURL());
    QString path = QFileDialog::getSaveFileName(this, tr("Export for Final Cut"),
                                                folder + u'/' + tr("Tarnel Export") + u".fcpxml",
                                                tr("Final Cut Pro XML (*.fcpxml)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".fcpxml"), Qt::CaseInsensitive))
        path += QStringLiteral(".fcpxml");
    exportForFinalCut(path);
}

void MainWindow::exportForFinalCut(const QString &path) {
    TranscodeQueue *queue = m_view->queue();
    const auto error = FCPXMLGenerator::exportDocument(queue->jobs(), path);
    m_exportFailed = error.has_value();
    if (error) {
        m_exportNote = error->shown();
        queue->log(u"export for Final Cut FAILED: " + error->english());
    } else {
        const auto clips = FCPXMLGenerator::convertedClips(queue->jobs()).size();
        m_exportNote =
            tr("Final Cut document with %n clip(s) saved to %1", nullptr, int(clips)).arg(path);
        queue->log(u"export for Final Cut: " + QString::number(clips) + u" clip(s) to " + path);
    }
    showStatus();
}

void MainWindow::closeWithoutAsking(const QString &reason) {
    if (m_view->queue()->isConverting() && !reason.isEmpty())
        m_view->queue()->log(u"abandon: " + reason);
    m_closeConfirmed = true;
    if (m_closeQuestion)
        m_closeQuestion->close();
    close();
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // Coming back from the file manager, where a file may have been renamed
    // or a missing piece copied in.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_view->queue()->reviewIntakeWarnings();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    // Closing a window stops its conversion; say so before it happens.
    if (m_view->queue()->isConverting() && !m_closeConfirmed) {
        event->ignore();
        askToStop([this](bool stop) {
            if (stop) {
                m_closeConfirmed = true;
                close();
            }
        });
        return;
    }
    event->accept();
}

bool MainWindow::isConverting() const {
    return m_view->queue()->isConverting();
}

void MainWindow::askToStop(const std::function<void(bool)> &answered) {
    m_waiting.append(answered);
    if (m_closeQuestion) {
        m_closeQuestion->raise();
        m_closeQuestion->activateWindow();
        return;
    }
    auto *question = new QMessageBox(
        QMessageBox::Question, tr("Stop converting?"),
        tr("This window is still converting. Closing it stops REDline; the file being converted "
           "is left unfinished."),
        QMessageBox::Close | QMessageBox::Cancel, this);
    question->setObjectName(QStringLiteral("closeQuestion"));
    question->setDefaultButton(QMessageBox::Cancel);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::finished, this, [this, question] {
        answer(question->clickedButton() == question->button(QMessageBox::Close));
    });
    m_closeQuestion = question;
    question->open();
}

void MainWindow::answer(bool stop) {
    const QList<std::function<void(bool)>> waiting = std::exchange(m_waiting, {});
    if (m_closeQuestion) {
        m_closeQuestion->disconnect(this);
        m_closeQuestion->close();
    }
    for (const auto &answered : waiting)
        answered(stop);
}

void MainWindow::runEnded() {
    // Once nothing converts the question is moot: the user asked to close,
    // and nothing is left to stop.
    if (m_closeQuestion && !isConverting())
        answer(true);
}
