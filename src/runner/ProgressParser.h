#pragma once

#include <QStringView>
#include <optional>

// Finds REDline's progress in one chunk of its output: the fraction of the
// last "frame complete. <frame> <fraction>" in the chunk, else the last
// "<n>%" divided by 100; both capped at 1.0. None when neither is present.
class ProgressParser {
public:
    static std::optional<double> parseProgress(QStringView chunk);
};
