#pragma once

#include <QString>
#include <QStringList>

// Helpers for tests that use real programs: the REDline stand-in, ffmpeg,
// small scripts.
class TestTools {
public:
    // The stand-in built with the project.
    static QString redlineSim();
    // Runs ffmpeg with the given arguments (quiet, overwriting); true on success.
    static bool ffmpeg(const QStringList &arguments);
    // Writes an executable shell script and returns its path.
    static QString script(const QString &path, const QByteArray &body);
    // Arguments that the stand-in recorded (NUL-terminated entries).
    static QStringList recordedArguments(const QString &file);
};
