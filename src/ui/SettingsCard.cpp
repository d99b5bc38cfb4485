#include "SettingsCard.h"

#include "CoreText.h"
#include "ElidedLabel.h"
#include "FolderUrls.h"
#include "Palette.h"
#include "PlatformWords.h"
#include "UiText.h"
#include "model/FileName.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *rowLabel(const QString &text, QWidget *parent) {
    auto *l = new QLabel(text, parent);
    l->setFont(UiText::font(11));
    l->setFixedWidth(qRound(58 * UiText::fontScale()));
    UiText::setColor(l, UiText::secondary(parent));
    return l;
}

} // namespace

SettingsCard::SettingsCard(UserSettings *settings, TranscodeQueue *queue, Workspace &workspace,
                           QWidget *parent)
    : QWidget(parent), m_settings(settings), m_queue(queue), m_workspace(workspace) {
    setObjectName(QStringLiteral("settingsCard"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(10);
    column->addLayout(buildQualityRow());
    column->addLayout(buildFolderRow());
    column->addWidget(buildDefaultRow());
    connectControls();
    refresh();
}

QLayout *SettingsCard::buildQualityRow() {
    auto *quality = new QHBoxLayout;
    quality->setSpacing(8);
    auto *qualityLabel = rowLabel(tr("Quality"), this);
    m_quality = new QComboBox(this);
    m_quality->setObjectName(QStringLiteral("quality"));
    m_quality->setAccessibleName(tr("Quality"));
    qualityLabel->setBuddy(m_quality);
    for (ProResPreset p : ProResPresets::allCases())
        m_quality->addItem(CoreText::presetLabel(p), int(p));
    // The picker shortens its entry rather than widen the window.
    m_quality->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_quality->setMinimumContentsLength(14);
    quality->addWidget(qualityLabel);
    quality->addWidget(m_quality, 1);
    return quality;
}

QLayout *SettingsCard::buildFolderRow() {
    auto *saveTo = new QHBoxLayout;
    saveTo->setSpacing(8);
    m_folder = new ElidedLabel(this);
    m_folder->setObjectName(QStringLiteral("outputFolder"));
    m_folder->setFont(UiText::font(11, false, true));
    m_folder->setAccessibleName(tr("Output folder"));
    UiText::setColor(m_folder, UiText::secondary(this));
    m_reveal = new QToolButton(this);
    m_reveal->setObjectName(QStringLiteral("revealFolder"));
    m_reveal->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    m_reveal->setAutoRaise(true);
    m_reveal->setToolTip(PlatformWords::revealOutputFolder());
    m_reveal->setAccessibleName(PlatformWords::revealOutputFolder());
    m_change = new QPushButton(tr("Change"), this);
    m_change->setObjectName(QStringLiteral("change"));
    m_change->setFont(UiText::font(11));
    m_change->setAccessibleName(tr("Change output folder"));
    saveTo->addWidget(rowLabel(tr("Save to"), this));
    saveTo->addWidget(m_folder, 1);
    saveTo->addWidget(m_reveal);
    saveTo->addWidget(m_change);
    return saveTo;
}

QWidget *SettingsCard::buildDefaultRow() {
    m_defaultRow = new QWidget(this);
    auto *defaultRow = new QHBoxLayout(m_defaultRow);
    defaultRow->setContentsMargins(0, 0, 0, 0);
    defaultRow->setSpacing(8);
    defaultRow->addSpacing(qRound(58 * UiText::fontScale()));
    m_useDefault = new QPushButton(
        PlatformWords::useDefaultFolder(UserSettings::defaultOutputDirectory()), m_defaultRow);
    m_useDefault->setObjectName(QStringLiteral("useDefault"));
    m_useDefault->setFlat(true);
    m_useDefault->setCursor(Qt::PointingHandCursor);
    m_useDefault->setFont(UiText::font(10));
    m_useDefault->setAccessibleName(m_useDefault->text());
    m_useDefault->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; border: none; padding: 0; "
                       "text-align: left; } QPushButton:disabled { color: %2; }")
            .arg(Palette::redText(palette()).name(),
                 Palette::withAlpha(Palette::redText(palette()), 0.4).name(QColor::HexArgb)));
    defaultRow->addWidget(m_useDefault);
    defaultRow->addStretch(1);
    return m_defaultRow;
}

void SettingsCard::connectControls() {
    connect(m_quality, &QComboBox::activated, this, [this](int index) {
        m_settings->setSelectedPreset(ProResPreset(m_quality->itemData(index).toInt()));
    });
    connect(m_reveal, &QToolButton::clicked, this, [this] {
        if (!m_settings->outputDirectoryURL().isEmpty())
            m_workspace.reveal(FileName::folderPath(m_settings->outputDirectoryURL()));
    });
    connect(m_change, &QPushButton::clicked, this, &SettingsCard::chooseFolder);
    connect(m_useDefault, &QPushButton::clicked, this,
            [this] { m_settings->setOutputDirectory(UserSettings::defaultOutputDirectory()); });
}

void SettingsCard::chooseFolder() {
    const QUrl folder = FolderUrls::chooseOutputFolder(window(), m_settings->outputDirectoryURL());
    if (!folder.isEmpty())
        m_settings->setOutputDirectory(folder);
}

void SettingsCard::refresh() {
    const bool converting = m_queue->isConverting();
    const int index = m_quality->findData(int(m_settings->selectedPreset()));
    if (index != m_quality->currentIndex())
        m_quality->setCurrentIndex(index);
    m_quality->setEnabled(!converting);

    const QUrl folder = m_settings->outputDirectoryURL();
    const QString path = FileName::folderPath(folder);
    m_folder->setFullText(folder.isEmpty() ? QStringLiteral("\u2014")
                                           : UiText::abbreviatingHome(path));
    m_folder->setToolTip(folder.isEmpty() ? QString() : path);
    m_change->setEnabled(!converting);
    m_defaultRow->setVisible(!m_settings->isUsingDefaultOutputDirectory());
    m_useDefault->setEnabled(!converting);
}

void SettingsCard::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 10, 10);
    p.fillPath(path, palette().color(QPalette::Base));
}
