#include "PreferencesView.h"

#include "CoreText.h"
#include "ElidedLabel.h"
#include "FolderUrls.h"
#include "UiText.h"
#include "model/FileName.h"
#include "runner/REDlineLocator.h"
#include "settings/UserSettings.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The platform's green and red for the status line.
const QColor kFound(0x28, 0xA7, 0x45);
const QColor kMissing(0xD7, 0x3A, 0x49);

} // namespace

PreferencesView::PreferencesView(UserSettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings) {
    setObjectName(QStringLiteral("preferences"));
    setWindowTitle(tr("Tarnel Settings"));
    setFixedWidth(460 + 2 * 12);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(12);
    column->addWidget(buildRedlineBox());
    column->addWidget(buildOutputBox());
    column->addWidget(buildQualityBox());

    // Shown only while changes cannot be saved.
    m_saveError = new QLabel(this);
    m_saveError->setObjectName(QStringLiteral("settingsError"));
    m_saveError->setFont(UiText::font(11));
    m_saveError->setWordWrap(true);
    UiText::setColor(m_saveError, kMissing);
    column->addWidget(m_saveError);

    connect(m_path, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_settings->setRedlinePath(text); });
    connect(m_presets, &QButtonGroup::idClicked, this,
            [this](int id) { m_settings->setSelectedPreset(ProResPreset(id)); });
    for (auto signal :
         {&UserSettings::outputDirectoryURLChanged, &UserSettings::selectedPresetChanged,
          &UserSettings::redlinePathChanged, &UserSettings::saveErrorChanged})
        connect(m_settings, signal, this, &PreferencesView::refresh);
    refresh();
}

QWidget *PreferencesView::buildRedlineBox() {
    auto *redline = new QGroupBox(tr("REDline Path"), this);
    auto *redlineColumn = new QVBoxLayout(redline);
    auto *pathRow = new QHBoxLayout;
    auto *pathLabel = new QLabel(tr("Path to REDline"), redline);
    m_path = new QLineEdit(redline);
    m_path->setObjectName(QStringLiteral("redlinePath"));
    m_path->setFont(UiText::font(12, false, true));
    m_path->setAccessibleName(tr("Path to REDline"));
    m_path->setPlaceholderText(tr("Path to REDline"));
    pathLabel->setBuddy(m_path);
    auto *detect = new QPushButton(tr("Detect"), redline);
    detect->setObjectName(QStringLiteral("detect"));
    detect->setAccessibleName(tr("Detect REDline"));
    connect(detect, &QPushButton::clicked, this, &PreferencesView::detect);
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(detect);
    m_status = new QLabel(redline);
    m_status->setObjectName(QStringLiteral("redlineStatus"));
    m_status->setFont(UiText::font(11));
    redlineColumn->addWidget(pathLabel);
    redlineColumn->addLayout(pathRow);
    redlineColumn->addWidget(m_status);
    return redline;
}

QWidget *PreferencesView::buildOutputBox() {
    auto *output = new QGroupBox(tr("Default Output"), this);
    auto *outputRow = new QHBoxLayout(output);
    m_folder = new ElidedLabel(output);
    m_folder->setObjectName(QStringLiteral("defaultOutput"));
    m_folder->setFont(UiText::font(12, false, true));
    m_folder->setAccessibleName(tr("Default output folder"));
    UiText::setColor(m_folder, UiText::secondary(this));
    auto *choose = new QPushButton(tr("Choose"), output);
    choose->setObjectName(QStringLiteral("choose"));
    choose->setAccessibleName(tr("Choose default output folder"));
    connect(choose, &QPushButton::clicked, this, &PreferencesView::chooseFolder);
    outputRow->addWidget(m_folder, 1);
    outputRow->addWidget(choose);
    return output;
}

QWidget *PreferencesView::buildQualityBox() {
    auto *quality = new QGroupBox(tr("Default Quality"), this);
    auto *qualityColumn = new QVBoxLayout(quality);
    qualityColumn->addWidget(new QLabel(tr("ProRes Format"), quality));
    m_presets = new QButtonGroup(this);
    for (ProResPreset p : ProResPresets::allCases()) {
        auto *radio = new QRadioButton(CoreText::presetLabel(p), quality);
        radio->setAccessibleName(CoreText::presetLabel(p));
        m_presets->addButton(radio, int(p));
        qualityColumn->addWidget(radio);
    }
    return quality;
}

void PreferencesView::detect() {
    // The default location, then PATH, then the usual Linux places; when
    // nothing is found the path stays as it is.
    if (const auto found = REDlineLocator::detect(UserSettings::defaultRedlinePath()))
        m_settings->setRedlinePath(*found);
}

void PreferencesView::chooseFolder() {
    const QUrl folder = FolderUrls::chooseOutputFolder(window(), m_settings->outputDirectoryURL());
    if (!folder.isEmpty())
        m_settings->setOutputDirectory(folder);
}

void PreferencesView::refresh() {
    const QString path = m_settings->redlinePath();
    if (m_path->text() != path)
        m_path->setText(path); // only when changed elsewhere, so typing keeps its cursor
    const bool found = REDlineLocator::isFound(path);
    m_status->setText(found ? tr("✓ REDline found")
                            : tr("✗ Not found — install REDCINE-X Professional"));
    UiText::setColor(m_status, found ? kFound : kMissing);

    const QUrl folder = m_settings->outputDirectoryURL();
    m_folder->setFullText(folder.isEmpty() ? tr("Not set") : FileName::folderPath(folder));
    m_folder->setToolTip(FileName::folderPath(folder));

    if (QAbstractButton *b = m_presets->button(int(m_settings->selectedPreset())))
        b->setChecked(true);

    m_saveError->setText(m_settings->saveError());
    m_saveError->setVisible(!m_settings->saveError().isEmpty());
}
