#pragma once

class TranscodeJob;

// Told around every change to a watched job's status, source size or movie,
// before any signal: just before the value is stored and just after. One
// pointer per job instead of a connection per field and a copy of the old
// values, which a list of 100,000 files would feel.
class JobWatcher {
public:
    virtual void jobWillChange(const TranscodeJob *job) = 0;
    virtual void jobChanged(const TranscodeJob *job) = 0;

protected:
    ~JobWatcher() = default;
};
