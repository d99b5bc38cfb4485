#pragma once

#include <mutex>

// The last progress value handed to the job during one run, and the gate that
// decides whether a new value is worth handing on: the first value, rises of
// at least 0.01, and every value of 1.0 pass.
class ProgressBox {
public:
    // Compares and stores under one holding of the lock, so two readers can
    // never both pass with the same rise.
    bool offer(double value) {
        std::lock_guard lock(m_lock);
        if (value >= 1.0 || value - m_last >= 0.01) {
            m_last = value;
            return true;
        }
        return false;
    }
    double last() const {
        std::lock_guard lock(m_lock);
        return m_last;
    }

private:
    mutable std::mutex m_lock;
    double m_last = -1.0;
};
