#pragma once

#include <QString>

// What the system says about processes: this one's identity (host, boot,
// id, start), and whether another is still there.
class ProcessInfo {
public:
    static QString hostName();
    // This boot's id; empty when the system does not give one.
    static QString bootId();
    static qint64 currentId();
    // A process's start in clock ticks since boot, or 0 when there is no
    // such process.
    static qint64 startTicks(qint64 pid);
    // True only when no process of that id exists now.
    static bool isSurelyGone(qint64 pid);
};
