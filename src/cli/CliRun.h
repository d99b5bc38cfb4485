#pragma once

#include "CliOptions.h"

#include <QObject>
#include <memory>

class CliReporter;
class ConversionSession;
class TranscodeQueue;
class UserSettings;

// One invocation of tarnel-cli: the settings with this run's overrides, the
// same conversion session as the window (queue, runner, debug log, sleep
// held off during the run), the checks that decide whether a run can start
// at all, the run itself and its exit status.
// Termination signals stop REDline and end the run; a second one does not
// wait.
class CliRun : public QObject {
    Q_OBJECT

public:
    explicit CliRun(CliOptions options, QObject *parent = nullptr);
    ~CliRun() override;

    // Runs to the end and returns the exit status (see ExitStatus.h).
    int exec();

private:
    // Empty when the run can start, else why not.
    QString cannotStart() const;
    QList<QUrl> urls() const;
    int dryRun();
    int convert();
    TranscodeQueue *queue() const;

    const CliOptions m_options;
    // Destroyed from the last: the session (which stops a REDline still
    // running) before what it reports to and reads from.
    std::unique_ptr<UserSettings> m_settings;
    std::unique_ptr<CliReporter> m_reporter;
    std::unique_ptr<ConversionSession> m_session;
};
