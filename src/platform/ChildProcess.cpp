#include "ChildProcess.h"

#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char **environ;

namespace {

// A descriptor closed when it goes out of scope, unless released.
struct OwnedFd {
    int fd = -1;
    OwnedFd() = default;
    OwnedFd(const OwnedFd &) = delete;
    ~OwnedFd() {
        if (fd >= 0)
            ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

bool openPipe(OwnedFd &read, OwnedFd &write) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    read.fd = fds[0];
    write.fd = fds[1];
    return true;
}

// What posix_spawn needs to start the child: the null device as standard
// input, the pipes' write ends as standard output and error, a group of its
// own and default signal handling.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

    SpawnSetup(int out, int err) {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
        posix_spawnattr_init(&attributes);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&attributes, &all);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK |
                                                  POSIX_SPAWN_SETPGROUP);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup &) = delete;
};

} // namespace

std::variant<ChildProcess, PlatformError> ChildProcess::start(const QString &program,
                                                              const QStringList &arguments) {
    OwnedFd outRead, outWrite, errRead, errWrite;
    if (!openPipe(outRead, outWrite) || !openPipe(errRead, errWrite)) {
        const int error = errno;
        return PlatformError::fromErrno(error, QStringLiteral("Could not create pipes"));
    }

    // Arguments go to the child as separate entries, byte for byte.
    std::vector<QByteArray> encoded{QFile::encodeName(program)};
    for (const QString &a : arguments)
        encoded.push_back(QFile::encodeName(a));
    std::vector<char *> argv;
    for (QByteArray &a : encoded)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    ChildProcess child;
    const SpawnSetup setup(outWrite.fd, errWrite.fd);
    if (const int error = ::posix_spawn(&child.m_pid, argv[0], &setup.actions, &setup.attributes,
                                        argv.data(), environ)) {
        child.m_pid = -1;
        return PlatformError::fromErrno(error, u"Could not launch \u201C" + program + u"\u201D");
    }
    child.m_out = outRead.release();
    child.m_err = errRead.release();
    child.m_pidfd = int(::syscall(SYS_pidfd_open, child.m_pid, 0));
    if (child.m_pidfd < 0) { // the child is killed and reaped as it goes
        const int error = errno;
        return PlatformError::fromErrno(error, u"Could not watch \u201C" + program + u"\u201D");
    }
    // Larger pipes mean fewer wake-ups when a child prints a lot; a refusal
    // just keeps the default size.
    ::fcntl(child.m_out, F_SETPIPE_SZ, 1 << 20);
    ::fcntl(child.m_err, F_SETPIPE_SZ, 1 << 20);
    return child;
}

ChildProcess::ChildProcess(ChildProcess &&other) noexcept
    : m_pid(std::exchange(other.m_pid, -1)), m_pidfd(std::exchange(other.m_pidfd, -1)),
      m_out(std::exchange(other.m_out, -1)), m_err(std::exchange(other.m_err, -1)) {
}

ChildProcess::~ChildProcess() {
    if (m_pid > 0) {
        signalGroup(SIGKILL);
        finish();
    }
    for (const int fd : {m_pidfd, m_out, m_err})
        if (fd >= 0)
            ::close(fd);
}

void ChildProcess::signalGroup(int signal) const {
    if (m_pid > 0)
        ::kill(-m_pid, signal);
}

int ChildProcess::finish() {
    // Waiting without reaping keeps the child a zombie, holding its id, so
    // the kill below reaches its group and no other.
    siginfo_t info{};
    while (::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    signalGroup(SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WIFEXITED(status)     ? WEXITSTATUS(status)
           : WIFSIGNALED(status) ? WTERMSIG(status)
                                 : status;
}
