#pragma once

#include "PlatformError.h"

#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <variant>

// A child process started without a shell, in a process group of its own
// (whose id is the child's id): standard input is the null device, standard
// output and standard error are pipes whose read ends this object holds. It
// starts with default signal handling and no blocked signals, whatever this
// process ignores.
//
// The child is reaped only by finish(), so until then its id, and so its
// group's id, cannot be reused: signalGroup() always reaches this child's
// group and no other. One dropped before finish() has its group killed and
// is reaped.
class ChildProcess {
public:
    static std::variant<ChildProcess, PlatformError> start(const QString &program,
                                                           const QStringList &arguments);
    ChildProcess(ChildProcess &&other) noexcept;
    ChildProcess &operator=(ChildProcess &&) = delete;
    ~ChildProcess();

    int outputFd() const { return m_out; }
    int errorFd() const { return m_err; }
    // Readable once the child has exited.
    int exitFd() const { return m_pidfd; }

    void signalGroup(int signal) const;
    // Waits for the child to exit, kills whatever is left of its group (a
    // helper that would go on writing), then reaps the child. Returns the
    // exit code, or the number of the signal that ended it. The pipes stay
    // open for what is left in them.
    int finish();

private:
    ChildProcess() = default;

    pid_t m_pid = -1;
    int m_pidfd = -1;
    int m_out = -1;
    int m_err = -1;
};
