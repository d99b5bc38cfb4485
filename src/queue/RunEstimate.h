#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// The time a conversion run still needs, from what this run has measured:
// the milliseconds per source byte of the files it converted so far, applied
// to the bytes still to convert (the files waiting, and the part of the
// current file that its progress says is left). Before the first file is
// converted there is no estimate. Files that failed teach nothing about the
// speed of a conversion and are left out of the rate.
//
// Plain and driven by an injected clock, so it can be exercised without
// waiting.
class RunEstimate {
public:
    // Monotonic milliseconds.
    using Clock = std::function<qint64()>;

    // Without a clock, the system's steady clock.
    explicit RunEstimate(Clock clock = {});

    // A run starts now: forgets the previous run.
    void begin();
    // A file of that many source bytes starts converting now.
    void fileStarted(qint64 sourceBytes);
    // The current file ended now; only a converted file counts towards the rate.
    void fileFinished(bool converted);

    // Milliseconds left, given the current file's progress (0 to 1; ignored
    // while no file converts) and the source bytes of the files waiting.
    std::optional<qint64> remainingMs(double currentProgress, qint64 waitingBytes) const;
    // Milliseconds since begin().
    qint64 elapsedMs() const;

    // A duration as people read it: "42 s", "12 min", "1 h 5 min", "3 h".
    static QString durationText(qint64 ms);
    // The remaining time for the window: "About 12 min left", "Less than a
    // minute left", or empty without an estimate.
    static QString remainingText(std::optional<qint64> ms);

private:
    Clock m_clock;
    qint64 m_runStart = 0;
    qint64 m_fileStart = 0;
    qint64 m_fileBytes = 0;
    bool m_converting = false;
    qint64 m_measuredMs = 0;
    qint64 m_measuredBytes = 0;
};
