#pragma once

#include <QWidget>

class ElidedLabel;
class QButtonGroup;
class QLabel;
class QLineEdit;
class UserSettings;

// The settings window: REDline's path (stored keystroke by keystroke), the
// default output folder and the default ProRes flavour. Never disabled: a
// change during a run applies from the next job on.
class PreferencesView : public QWidget {
    Q_OBJECT

public:
    explicit PreferencesView(UserSettings *settings, QWidget *parent = nullptr);

    void refresh();

private:
    QWidget *buildRedlineBox();
    QWidget *buildOutputBox();
    QWidget *buildQualityBox();
    void detect();
    void chooseFolder();

    UserSettings *m_settings;
    QLineEdit *m_path;
    QLabel *m_status;
    ElidedLabel *m_folder;
    QButtonGroup *m_presets;
    QLabel *m_saveError;
};
