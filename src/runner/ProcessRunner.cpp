#include "ProcessRunner.h"

#include "LineJoiner.h"
#include "LockedData.h"

#include <QFile>
#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1;
    int write = -1;
    ~Pipe() {
        if (read >= 0)
            ::close(read);
        if (write >= 0)
            ::close(write);
    }
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0)
            return false;
        read = fds[0];
        write = fds[1];
        return true;
    }
    void closeWrite() {
        ::close(write);
        write = -1;
    }
};

// Shared by the waiting thread, the timer and the two readers: whether the
// child has exited and when, so readers stop handing chunks on and give up
// on pipes held open by a descendant; and when it last printed, which the
// time limit counts from.
struct ExitState {
    std::atomic<bool> exited{false};
    std::atomic<Clock::rep> exitedAt{0};
    std::atomic<Clock::rep> lastOutputAt{Clock::now().time_since_epoch().count()};
};

void readPipe(int fd, LockedData &buffer, const ProcessRunner::OutputHandler &onOutput,
              ExitState &state, std::chrono::milliseconds drainLimit) {
    std::vector<char> chunk(256 * 1024);
    LineJoiner lines; // a line cut between two reads is handed on whole
    pollfd pfd{fd, POLLIN, 0};
    auto lastData = Clock::now();
    for (;;) {
        const int ready = ::poll(&pfd, 1, 200);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (state.exited.load()) {
                const auto since =
                    std::max(lastData, Clock::time_point(Clock::duration(state.exitedAt.load())));
                if (Clock::now() - since > drainLimit)
                    return; // a descendant keeps the pipe open; stop waiting
            }
            continue;
        }
        if (ready < 0)
            return;
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // end of file or a read error
        lastData = Clock::now();
        state.lastOutputAt.store(lastData.time_since_epoch().count());
        buffer.append(chunk.data(), n);
        if (onOutput && !state.exited.load()) {
            bool valid = false;
            const QString text = lines.feed(QByteArrayView(chunk.data(), n), &valid);
            if (valid)
                onOutput(text);
        }
    }
}

} // namespace

QString ProcessRunner::decodeUtf8(const QByteArray &bytes, bool *valid) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    const bool ok = !decoder.hasError();
    if (valid)
        *valid = ok;
    return ok ? text : QString();
}

QString ProcessRunner::lastCharacters(const QString &text, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    qsizetype start = text.size();
    for (int i = 0; i < count; ++i) {
        const qsizetype previous = finder.toPreviousBoundary();
        if (previous < 0)
            break;
        start = previous;
    }
    return text.mid(start);
}

void ProcessRunner::expectRun() const {
    std::lock_guard lock(m_tracker->lock);
    m_tracker->expected = true;
    m_tracker->pendingSignal = 0;
}

void ProcessRunner::signalRunningChild(int signal) const {
    std::lock_guard lock(m_tracker->lock);
    if (m_tracker->pid > 0)
        ::kill(-m_tracker->pid, signal);
    else if (m_tracker->expected && m_tracker->pendingSignal != SIGKILL)
        m_tracker->pendingSignal = signal;
}

ProcessRunner::Outcome ProcessRunner::run(const QString &executablePath,
                                          const QStringList &arguments,
                                          const OutputHandler &onOutput) const {
    Pipe out, err;
    if (!out.open() || !err.open())
        return PlatformError::fromErrno(errno, QStringLiteral("Could not create pipes"));

    // Arguments go to the child as separate entries, byte for byte.
    const QByteArray program = QFile::encodeName(executablePath);
    std::vector<QByteArray> encoded;
    encoded.reserve(arguments.size() + 1);
    encoded.push_back(program);
    for (const QString &a : arguments)
        encoded.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : encoded)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The child starts with default signal handling, whatever this process ignores.
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    // Its own process group (whose id is the child's id), so that every stop
    // reaches the helpers it starts as well.
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETPGROUP);

    {
        // Stopped before it could start: it never starts, and ends as if the
        // signal had ended it.
        std::lock_guard lock(m_tracker->lock);
        if (m_tracker->expected && m_tracker->pendingSignal != 0) {
            ProcessResult stopped;
            stopped.terminationStatus = std::exchange(m_tracker->pendingSignal, 0);
            m_tracker->expected = false;
            posix_spawn_file_actions_destroy(&actions);
            posix_spawnattr_destroy(&attributes);
            return stopped;
        }
        m_tracker->expected = true;
    }
    pid_t pid = -1;
    const int spawnError =
        ::posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    {
        std::lock_guard lock(m_tracker->lock);
        m_tracker->expected = false;
        if (spawnError == 0) {
            m_tracker->pid = pid;
            if (m_tracker->pendingSignal != 0)
                ::kill(-pid, m_tracker->pendingSignal);
        }
        m_tracker->pendingSignal = 0;
    }
    if (spawnError != 0)
        return PlatformError::fromErrno(spawnError,
                                        u"Could not launch \u201C" + executablePath + u"\u201D");
    out.closeWrite();
    err.closeWrite();
    // Larger pipes mean fewer wake-ups when a child prints a lot; a refusal
    // just keeps the default size.
    ::fcntl(out.read, F_SETPIPE_SZ, 1 << 20);
    ::fcntl(err.read, F_SETPIPE_SZ, 1 << 20);

    LockedData outData(tailBytes), errData(tailBytes);
    ExitState state;
    std::thread outReader(readPipe, out.read, std::ref(outData), std::cref(onOutput),
                          std::ref(state), drainLimit);
    std::thread errReader(readPipe, err.read, std::ref(errData), std::cref(onOutput),
                          std::ref(state), drainLimit);

    // The time limit, a cancellable timer on its own thread, counts from the
    // child's launch or its last output, whichever is later: a conversion
    // that goes on printing its progress is never cut short, however long
    // the clip, while one that has fallen silent is asked to stop.
    std::mutex timerLock;
    std::condition_variable timerWake;
    bool childExited = false;
    std::thread timer([&] {
        std::unique_lock lock(timerLock);
        const auto deadline = [&] {
            return Clock::time_point(Clock::duration(state.lastOutputAt.load())) + timeout;
        };
        for (auto until = deadline(); Clock::now() < until; until = deadline()) {
            if (timerWake.wait_until(lock, until, [&] { return childExited; }))
                return;
        }
        ::kill(-pid, SIGTERM);
        if (timerWake.wait_for(lock, gracePeriod, [&] { return childExited; }))
            return;
        ::kill(-pid, SIGKILL);
    });

    // Wait for the exit without reaping: while the child is a zombie, its
    // id and so its group's id cannot be reused, so every signal to the
    // group until the reaping below reaches REDline's group and no other.
    siginfo_t info{};
    while (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    {
        std::lock_guard lock(timerLock);
        childExited = true;
    }
    timerWake.notify_all();
    timer.join();
    {
        // Whatever REDline left running in its group (a helper that would
        // go on writing) ends with it. Then no more signals: the group id
        // may be reused once the child is reaped.
        std::lock_guard lock(m_tracker->lock);
        ::kill(-pid, SIGKILL);
        m_tracker->pid = 0;
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    state.exitedAt.store(Clock::now().time_since_epoch().count());
    state.exited.store(true);
    outReader.join();
    errReader.join();

    ProcessResult result;
    result.terminationStatus = WIFEXITED(status)     ? WEXITSTATUS(status)
                               : WIFSIGNALED(status) ? WTERMSIG(status)
                                                     : status;
    result.standardOutputText = outData.text();
    result.standardErrorText = errData.text();
    return result;
}
