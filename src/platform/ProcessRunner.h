#pragma once

#include "PlatformError.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <variant>

// What a finished child process yields.
struct ProcessResult {
    qint32 terminationStatus = 0; // exit code, or the signal number when killed
    // The end of each stream (its last ProcessRunner::tailBytes bytes or a
    // little more, from a character boundary), decoded as UTF-8 with U+FFFD
    // for each byte that is not.
    QString standardOutputText;
    QString standardErrorText;
};

// Runs one child process (see ChildProcess) to its end on the calling
// thread: one loop waits on both output pipes, the child's exit and stop
// requests, each stream keeping only its tail, so memory stays bounded
// however much the child prints. Every read before the child's exit is handed
// to onOutput, on the calling thread.
//
// Every signal goes to the child's whole group, so helpers it starts stop
// with it. When the child has printed nothing for the time limit (counted
// from its launch, then from its last output), or a stop is asked for, the
// group is asked to terminate (SIGTERM); if the child is still running a
// grace period later the group is killed, so a child that ignores the request
// cannot block the caller forever. When the child has exited, whatever is left
// of its group is killed. Output still in the pipes at exit is collected (not
// handed to onOutput); a descendant that left the group and keeps the pipes
// open stops the collection after drainLimit of silence.
class ProcessRunner {
public:
    enum class Stream { output, error };
    using OutputHandler = std::function<void(Stream stream, QByteArrayView bytes)>;
    using Outcome = std::variant<ProcessResult, PlatformError>;

    std::chrono::milliseconds timeout{std::chrono::hours(1)};
    std::chrono::milliseconds gracePeriod{std::chrono::seconds(10)};
    std::chrono::milliseconds drainLimit{std::chrono::seconds(5)};
    // How much of the end of each stream the result keeps: far more than the
    // 800 characters a failure quotes, even when each takes four bytes.
    qsizetype tailBytes = 64 * 1024;

    ProcessRunner();

    // Announces a run() that will come on another thread, so that a stop
    // asked for in between is not lost.
    void expectRun() const;
    // From any thread (copies of this object share the run): stops the run in
    // progress or announced, as the time limit does (SIGTERM, then SIGKILL
    // after the grace period), or with SIGKILL at once when `immediately` is
    // set. A run stopped before its child exists never starts it, and ends as
    // if the signal had ended it. Does nothing when no run is going on.
    void requestStop(bool immediately) const;

    Outcome run(const QString &executablePath, const QStringList &arguments,
                const OutputHandler &onOutput) const;

    // Strict UTF-8: invalid input gives the empty text.
    static QString decodeUtf8(const QByteArray &bytes, bool *valid = nullptr);
    // The last `count` user-perceived characters (grapheme clusters).
    static QString lastCharacters(const QString &text, int count);

private:
    struct Control;
    class Loop;

    // Marks the run as going on, with `wakeFd` to wake its loop; the signal
    // that stopped it first instead, when a stop came before it.
    int beginRun(int wakeFd) const;
    void endRun() const;

    std::shared_ptr<Control> m_control;
};
