#include "ProcessRunner.h"

#include "ChildProcess.h"
#include "OutputTail.h"

#include <QScopeGuard>
#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>
#include <vector>

using Clock = std::chrono::steady_clock;

// What the runner's copies share about the run going on: whether one is
// announced or running, the strongest stop asked for (SIGTERM or SIGKILL),
// and the descriptor that wakes the running loop.
struct ProcessRunner::Control {
    enum class State { idle, expected, running };
    std::mutex lock;
    State state = State::idle;
    int stop = 0;
    int wakeFd = -1;
};

// One run's loop: reads both pipes as data arrives, notices the child's exit
// and stop requests, and applies the time limit and the grace period. It is
// the only code that signals the child, and it does so only before reaping
// it, so a signal can never reach a reused process id.
class ProcessRunner::Loop {
public:
    Loop(const ProcessRunner &settings, ChildProcess &child, const OutputHandler &onOutput,
         int wakeFd);
    ProcessResult run();

private:
    struct Pipe {
        int fd;
        Stream stream;
        OutputTail tail;
    };

    void waitOnce();
    void read(Pipe &pipe);
    void takeStopRequest();
    void sendSignal(int signal);
    void applyLimits(Clock::time_point now);
    // The next moment a limit falls due.
    Clock::time_point nextDue() const;
    bool exited() const { return m_status >= 0; }

    const ProcessRunner &m_settings;
    ChildProcess &m_child;
    const OutputHandler &m_onOutput;
    const int m_wakeFd;
    std::array<Pipe, 2> m_pipes;
    std::vector<char> m_buffer = std::vector<char>(256 * 1024);
    Clock::time_point m_lastOutput = Clock::now(); // the launch, then the last read
    Clock::time_point m_exitedAt;
    Clock::time_point m_killAt;
    int m_signalSent = 0; // 0, SIGTERM or SIGKILL
    int m_status = -1;    // the termination status, once the child is reaped
};

ProcessRunner::Loop::Loop(const ProcessRunner &settings, ChildProcess &child,
                          const OutputHandler &onOutput, int wakeFd)
    : m_settings(settings), m_child(child), m_onOutput(onOutput),
      m_wakeFd(wakeFd), m_pipes{
                            Pipe{child.outputFd(), Stream::output, OutputTail(settings.tailBytes)},
                            Pipe{child.errorFd(), Stream::error, OutputTail(settings.tailBytes)}} {
}

ProcessResult ProcessRunner::Loop::run() {
    // Until the child has exited and both pipes are closed or have gone quiet.
    while (!exited() || m_pipes[0].fd >= 0 || m_pipes[1].fd >= 0)
        waitOnce();
    return {m_status, m_pipes[0].tail.text(), m_pipes[1].tail.text()};
}

void ProcessRunner::Loop::waitOnce() {
    std::array<pollfd, 4> fds{pollfd{m_pipes[0].fd, POLLIN, 0}, pollfd{m_pipes[1].fd, POLLIN, 0},
                              pollfd{exited() ? -1 : m_child.exitFd(), POLLIN, 0},
                              pollfd{m_wakeFd, POLLIN, 0}};
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextDue() - Clock::now());
    const int ready =
        ::poll(fds.data(), fds.size(), int(std::clamp<qint64>(wait.count(), 0, INT_MAX)));
    if (ready < 0 && errno != EINTR) {
        // Nothing can be waited for any more: end the child and its output.
        if (!exited()) {
            m_status = m_child.finish();
            m_exitedAt = Clock::now();
        }
        m_pipes[0].fd = m_pipes[1].fd = -1;
        return;
    }
    for (int i = 0; i < 2; ++i)
        if (fds[i].revents != 0)
            read(m_pipes[i]);
    if (fds[3].revents != 0)
        takeStopRequest();
    if (fds[2].revents != 0) {
        m_status = m_child.finish();
        m_exitedAt = Clock::now();
    }
    applyLimits(Clock::now());
}

void ProcessRunner::Loop::read(Pipe &pipe) {
    const ssize_t n = ::read(pipe.fd, m_buffer.data(), m_buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (n <= 0) {     // end of file or a read error
        pipe.fd = -1; // the descriptor itself is the child's to close
        return;
    }
    m_lastOutput = Clock::now();
    pipe.tail.append(m_buffer.data(), n);
    if (m_onOutput && !exited())
        m_onOutput(pipe.stream, QByteArrayView(m_buffer.data(), n));
}

void ProcessRunner::Loop::takeStopRequest() {
    std::uint64_t count = 0;
    if (::read(m_wakeFd, &count, sizeof count) < 0 && errno != EAGAIN)
        return;
    int stop = 0;
    {
        std::lock_guard lock(m_settings.m_control->lock);
        stop = m_settings.m_control->stop;
    }
    if (exited() || stop == 0 || m_signalSent == SIGKILL || m_signalSent == stop)
        return;
    sendSignal(stop);
}

void ProcessRunner::Loop::sendSignal(int signal) {
    m_child.signalGroup(signal);
    m_signalSent = signal;
    m_killAt = Clock::now() + m_settings.gracePeriod;
}

void ProcessRunner::Loop::applyLimits(Clock::time_point now) {
    if (exited()) {
        // A descendant that left the group keeps the pipes open: stop
        // waiting for it after a spell of silence.
        if (now >= nextDue())
            m_pipes[0].fd = m_pipes[1].fd = -1;
    } else if (m_signalSent == SIGTERM && now >= m_killAt) {
        sendSignal(SIGKILL);
    } else if (m_signalSent == 0 && now >= nextDue()) {
        // A conversion that goes on printing its progress is never cut
        // short, however long the clip; one that has fallen silent is.
        sendSignal(SIGTERM);
    }
}

Clock::time_point ProcessRunner::Loop::nextDue() const {
    if (exited())
        return std::max(m_exitedAt, m_lastOutput) + m_settings.drainLimit;
    if (m_signalSent == SIGTERM)
        return m_killAt;
    if (m_signalSent == SIGKILL)
        return Clock::time_point::max();
    return m_lastOutput + m_settings.timeout;
}

namespace {

// The descriptor stop requests wake a running loop through.
struct WakeFd {
    int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    WakeFd() = default;
    WakeFd(const WakeFd &) = delete;
    ~WakeFd() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

ProcessRunner::ProcessRunner() : m_control(std::make_shared<Control>()) {
}

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
    std::lock_guard lock(m_control->lock);
    m_control->state = Control::State::expected;
    m_control->stop = 0;
}

void ProcessRunner::requestStop(bool immediately) const {
    std::lock_guard lock(m_control->lock);
    if (m_control->state == Control::State::idle)
        return;
    if (immediately)
        m_control->stop = SIGKILL;
    else if (m_control->stop == 0)
        m_control->stop = SIGTERM;
    const std::uint64_t one = 1;
    if (m_control->wakeFd >= 0 && ::write(m_control->wakeFd, &one, sizeof one) < 0) {
        // The counter is full: the loop has a wake-up pending anyway.
    }
}

int ProcessRunner::beginRun(int wakeFd) const {
    std::lock_guard lock(m_control->lock);
    if (m_control->state == Control::State::expected && m_control->stop != 0) {
        m_control->state = Control::State::idle;
        return std::exchange(m_control->stop, 0);
    }
    m_control->state = Control::State::running;
    m_control->wakeFd = wakeFd;
    return 0;
}

void ProcessRunner::endRun() const {
    std::lock_guard lock(m_control->lock);
    m_control->state = Control::State::idle;
    m_control->stop = 0;
    m_control->wakeFd = -1;
}

ProcessRunner::Outcome ProcessRunner::run(const QString &executablePath,
                                          const QStringList &arguments,
                                          const OutputHandler &onOutput) const {
    const WakeFd wake;
    if (wake.fd < 0)
        return PlatformError::fromErrno(errno, QStringLiteral("Could not create an event"));
    if (const int stoppedBy = beginRun(wake.fd)) {
        ProcessResult stopped;
        stopped.terminationStatus = stoppedBy;
        return stopped;
    }
    const auto ended = qScopeGuard([this] { endRun(); });
    auto started = ChildProcess::start(executablePath, arguments);
    if (auto *error = std::get_if<PlatformError>(&started))
        return std::move(*error);
    ChildProcess &child = std::get<ChildProcess>(started);
    return Loop(*this, child, onOutput, wake.fd).run();
}
