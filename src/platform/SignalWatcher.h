#pragma once

#include <QObject>
#include <csignal>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

// Turns the process's termination signals (by default SIGTERM, SIGINT and
// SIGHUP) into a Qt signal on the main thread, so that Tarnel can stop
// REDline and log what it abandoned instead of dying in the middle of a
// conversion. The handler itself only writes the signal number to a pipe,
// the one thing that is safe inside a signal handler. One watcher may exist
// at a time; its destruction restores the previous handlers.
class SignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit SignalWatcher(std::initializer_list<int> watched = {SIGTERM, SIGINT, SIGHUP},
                           QObject *parent = nullptr);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher &) = delete;
    SignalWatcher &operator=(const SignalWatcher &) = delete;

    // "SIGTERM", "SIGINT" or "SIGHUP"; "signal N" for another.
    static QString name(int signal);
    // The system's description of a signal ("Terminated", "Hangup").
    static QString description(int signal);

    // How many watched signals have arrived so far.
    int count() const { return m_count; }

Q_SIGNALS:
    void received(int signal);

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    std::vector<std::pair<int, struct sigaction>> m_previous;
    int m_count = 0;
};
