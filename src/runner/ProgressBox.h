#pragma once

// The last progress value handed on during one run, and the gate that
// decides whether a new value is worth handing on: the first value, rises of
// at least 0.01, and every value of 1.0 pass. Values that pass never fall,
// except for a repeated 1.0.
class ProgressBox {
public:
    bool offer(double value) {
        if (value >= 1.0 || value - m_last >= 0.01) {
            m_last = value;
            return true;
        }
        return false;
    }

private:
    double m_last = -1.0;
};
