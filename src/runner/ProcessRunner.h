#pragma once

#include "platform/PlatformError.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <sys/types.h>
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

// Runs one child process to its end, without a shell: standard input is the
// null device, standard output and standard error are read as data arrives,
// each keeping only its tail, so memory stays bounded however much the
// child prints. Every read is handed to onOutput on the reading thread,
// joined with the unfinished line the stream's previous read ended in (see
// LineJoiner), when the two are valid UTF-8.
//
// The child runs in a process group of its own, and every signal goes to
// the whole group, so helpers it starts stop with it. When the child has
// printed nothing for the time limit (counted from its launch, then from its
// last output), the group is asked to terminate (SIGTERM); if the child is
// still running a grace period later the group is killed, so a child that
// ignores the request cannot block the caller forever. When the child has
// exited, whatever is left of its group is killed. Output still in the pipes
// at exit is collected (not handed to onOutput); a descendant that left the
// group and keeps the pipes open stops the collection after drainLimit of
// silence.
class ProcessRunner {
public:
    using OutputHandler = std::function<void(const QString &chunk)>;
    using Outcome = std::variant<ProcessResult, PlatformError>;

    std::chrono::milliseconds timeout{std::chrono::hours(1)};
    std::chrono::milliseconds gracePeriod{std::chrono::seconds(10)};
    std::chrono::milliseconds drainLimit{std::chrono::seconds(5)};
    // How much of the end of each stream the result keeps: far more than the
    // 800 characters a failure quotes, even when each takes four bytes.
    qsizetype tailBytes = 64 * 1024;

    // Signals the process group of a run() in progress, if there is one
    // (copies of this object share it). Used to stop a conversion when its
    // owner goes away. A signal asked for after expectRun() and before the
    // child exists is kept: the child is signalled the moment it exists, or
    // not started at all when the signal came before run().
    void signalRunningChild(int signal) const;
    // Announces a run() that will come on another thread, so that a stop
    // asked for in between is not lost.
    void expectRun() const;

    Outcome run(const QString &executablePath, const QStringList &arguments,
                const OutputHandler &onOutput) const;

    // Strict UTF-8: invalid input gives the empty text.
    static QString decodeUtf8(const QByteArray &bytes, bool *valid = nullptr);
    // The last `count` user-perceived characters (grapheme clusters).
    static QString lastCharacters(const QString &text, int count);

private:
    // The running child's process id, which is also its group's id; cleared
    // before the child is reaped so a signal can never reach a reused id.
    // Between expectRun() (or the start of run()) and the moment the id is
    // known, a signal asked for is kept in pendingSignal.
    struct ChildTracker {
        std::mutex lock;
        pid_t pid = 0;
        bool expected = false;
        int pendingSignal = 0;
    };
    std::shared_ptr<ChildTracker> m_tracker = std::make_shared<ChildTracker>();
};
