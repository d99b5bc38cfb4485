#include "MainWindow.h"

#include "AppMainView.h"
#include "TarnelApp.h"
#include "fcpxml/FCPXMLGenerator.h"
#include "model/FileName.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

MainWindow::MainWindow(UserSettings *settings, TarnelApp *app)
    : m_settings(settings), m_view(new AppMainView(settings, app->workspace(), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Tarnel"));
    setCentralWidget(m_view);
    buildMenus(app);
    connect(settings, &UserSettings::saveErrorChanged, this, &MainWindow::showStatus);
    const auto warnings = [this](const QStringList &messages) {
        // A few lines at most; the debug log has them all.
        constexpr qsizetype shown = 3;
        QStringList lines;
        for (const QString &text : messages.mid(0, shown))
            lines << text.left(1).toUpper() + text.mid(1);
        if (messages.size() > shown)
            lines << u"\u2026 and " + QString::number(messages.size() - shown) +
                         u" more in the debug log";
        m_intakeWarning = lines.join(u'\n');
        showStatus();
    };
    connect(m_view->queue(), &TranscodeQueue::intakeWarnings, this, warnings);
    // Conversions that never finished, found when a run reaches their folder.
    connect(m_view->queue(), &TranscodeQueue::runWarnings, this, warnings);
    connect(m_view->queue(), &TranscodeQueue::lookingForClipsChanged, this,
            &MainWindow::showStatus);
    connect(m_view->queue(), &TranscodeQueue::jobsChanged, this, [this] {
        if (m_view->queue()->jobs().isEmpty() && !m_intakeWarning.isEmpty()) {
            m_intakeWarning.clear();
            showStatus();
        }
    });
    showStatus();
    // The window follows its content's fixed size.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_view->queue(), &TranscodeQueue::isConvertingChanged, this, &MainWindow::runEnded);
}

void MainWindow::showStatus() {
    // The status line exists only once there has been something to say. It
    // wraps, so that a long path is read whole, and it can be selected.
    const QString saveError = m_settings->saveError();
    const QString message = !saveError.isEmpty() ? saveError
                            : m_view->queue()->isLookingForClips()
                                ? QStringLiteral("Looking for clips\u2026")
                            : !m_intakeWarning.isEmpty() ? m_intakeWarning
                                                         : m_exportNote;
    auto *line = findChild<QLabel *>(QStringLiteral("statusLine"));
    if (!line && message.isEmpty())
        return;
    if (!line) {
        line = new QLabel(this);
        line->setObjectName(QStringLiteral("statusLine"));
        line->setWordWrap(true);
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setContentsMargins(12, 4, 12, 6);
        statusBar()->setSizeGripEnabled(false); // the window has a fixed size
        statusBar()->addWidget(line, 1);
    }
    line->setText(message);
    statusBar()->setVisible(!message.isEmpty());
}

void MainWindow::buildMenus(TarnelApp *app) {
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *newWindow = file->addAction(QStringLiteral("New Window"), app, &TarnelApp::newWindow);
    newWindow->setShortcut(QKeySequence::New);
    QAction *add =
        file->addAction(QStringLiteral("Add Files\u2026"), m_view, &AppMainView::addFiles);
    add->setShortcut(QKeySequence::Open);
    connect(m_view->queue(), &TranscodeQueue::isConvertingChanged, add,
            [this, add] { add->setEnabled(!m_view->queue()->isConverting()); });
    // One document for every converted clip, to import a whole card at once.
    QAction *exportAll =
        file->addAction(tr("Export for Final Cut\u2026"), this, &MainWindow::chooseExportFile);
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
    QAction *close = file->addAction(QStringLiteral("Close Window"), this, &QWidget::close);
    close->setShortcut(QKeySequence::Close);
    QAction *quit =
        file->addAction(QStringLiteral("Quit Tarnel"), qApp, &QApplication::closeAllWindows);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction *prefs =
        edit->addAction(QStringLiteral("Settings\u2026"), app, &TarnelApp::showPreferences);
    prefs->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    prefs->setMenuRole(QAction::PreferencesRole);

    QMenu *options = menuBar()->addMenu(QStringLiteral("Options"));
    options->setObjectName(QStringLiteral("optionsMenu"));
    QAction *autoSend = options->addAction(QStringLiteral("Send to Final Cut Pro when finished"));
    autoSend->setObjectName(QStringLiteral("autoSendAction"));
    autoSend->setCheckable(true);
    QAction *likeClips = options->addAction(tr("Name movies like their clips"));
    likeClips->setObjectName(QStringLiteral("nameLikeClipsAction"));
    likeClips->setCheckable(true);
    options->addSeparator();
    QAction *sound = options->addAction(QStringLiteral("Play sound when finished"));
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
                                                folder + QStringLiteral("/Tarnel Export.fcpxml"),
                                                tr("Final Cut Pro XML (*.fcpxml)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".fcpxml"), Qt::CaseInsensitive))
        path += QStringLiteral(".fcpxml");
    exportForFinalCut(path);
}

void MainWindow::exportForFinalCut(const QString &path) {
    TranscodeQueue *queue = m_view->queue();
    if (const auto error = FCPXMLGenerator::exportDocument(queue->jobs(), path)) {
        m_exportNote = error->description;
        queue->log(u"export for Final Cut FAILED: " + error->description);
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

void MainWindow::closeEvent(QCloseEvent *event) {
    // Closing a window stops its conversion; say so before it happens.
    if (m_view->queue()->isConverting() && !m_closeConfirmed) {
        event->ignore();
        askBeforeClosing();
        return;
    }
    event->accept();
}

void MainWindow::askBeforeClosing() {
    if (m_closeQuestion) {
        m_closeQuestion->raise();
        m_closeQuestion->activateWindow();
        return;
    }
    auto *question = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Stop converting?"),
        QStringLiteral("This window is still converting. Closing it stops REDline; the file "
                       "being converted is left unfinished."),
        QMessageBox::Close | QMessageBox::Cancel, this);
    question->setObjectName(QStringLiteral("closeQuestion"));
    question->setDefaultButton(QMessageBox::Cancel);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::finished, this, [this, question] {
        if (question->clickedButton() == question->button(QMessageBox::Close)) {
            m_closeConfirmed = true;
            close();
        }
    });
    m_closeQuestion = question;
    question->open();
}

void MainWindow::runEnded() {
    // Once nothing converts the question is moot; the user asked to close.
    if (!m_closeQuestion || m_view->queue()->isConverting())
        return;
    m_closeQuestion->close();
    close();
}
