#pragma once

#include <QWidget>

class ElidedLabel;
class QComboBox;
class QLayout;
class QPushButton;
class QToolButton;
class TranscodeQueue;
class UserSettings;
class Workspace;

// The main window's card: the quality picker, the output folder with its
// reveal and change buttons, and the way back to the default folder.
class SettingsCard : public QWidget {
    Q_OBJECT

public:
    SettingsCard(UserSettings *settings, TranscodeQueue *queue, Workspace &workspace,
                 QWidget *parent = nullptr);

    // Recomputes every text and enabling rule.
    void refresh();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLayout *buildQualityRow();
    QLayout *buildFolderRow();
    QWidget *buildDefaultRow();
    void connectControls();
    void chooseFolder();

    UserSettings *m_settings;
    TranscodeQueue *m_queue;
    Workspace &m_workspace;
    QComboBox *m_quality;
    ElidedLabel *m_folder;
    QToolButton *m_reveal;
    QPushButton *m_change;
    QWidget *m_defaultRow;
    QPushButton *m_useDefault;
};
