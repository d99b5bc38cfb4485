#pragma once

#include <QString>

// A lock file's name that may hold a lock left by a process that is gone.
class StaleLock {
public:
    // Removes a lock that no live process holds. A regular file is asked
    // whether its owner still runs; anything else at its name (a folder, a
    // pipe, a link, dangling or not) is never a lock that anyone holds and
    // is removed (an empty folder) or moved aside. False when something is
    // still in the way.
    static bool clear(const QString &lock);
};
