#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// Helpers for tests that use real programs: the REDline stand-in, ffmpeg,
// small scripts.
class TestTools {
public:
    // The stand-in built with the project.
    static QString redlineSim();
    // A REDline in `dir`, made with redlineWithHelper(), that records its
    // group in <dir>/started, waits until <dir>/go exists, then fails with
    // status 1 if <dir>/fail exists and else runs the stand-in: tests act
    // while a conversion is surely running. After two minutes without "go"
    // it gives up with status 9, so a failed test leaves nothing behind.
    static QString gatedRedline(const QString &dir);
    // A REDline at `path` that waits until a second process runs it, then
    // runs the stand-in writing its movie slowly in pieces: two conversions
    // surely overlap. After a minute alone it exits with status 9.
    static QString pairedRedline(const QString &path);
    // Runs ffmpeg with the given arguments (quiet, overwriting); true on success.
    static bool ffmpeg(const QStringList &arguments);
    // ffprobe's account of a movie's streams and format (its JSON output),
    // empty when ffprobe cannot read it.
    static QJsonObject ffprobe(const QString &path);
    // The source a movie of the stand-in was made from (its "comment" tag).
    static QString movieSource(const QString &path);
    // xmllint's complaints about an FCPXML document checked against the
    // FCPXML 1.14 DTD; empty when it is valid. Without the DTD beside the
    // checkout (../shared/fcpxml) the check is skipped, with a note saying so.
    static QString fcpxmlProblems(const QString &document);
    // Writes an executable shell script and returns its path.
    static QString script(const QString &path, const QByteArray &body);
    // A file's text (UTF-8), empty when it cannot be read.
    static QString readFile(const QString &path);
    // Arguments that the stand-in recorded (NUL-terminated entries).
    static QStringList recordedArguments(const QString &file);
    // Creates (or resizes, sparsely) a file of the given size.
    static void touch(const QString &path, qint64 size = 10);
    // Creates an empty file whose name need not be UTF-8 in `folder` (made
    // first); returns its path.
    static QByteArray touchRaw(const QString &folder, const QByteArray &name = "caf\xe9.R3D");
    // The debug log's lines, time stamps taken off the first line of each
    // entry (continuation lines of multi-line messages stay as they are).
    static QStringList logLines(const QString &path);
    // Installs "com.apple.FinalCut.desktop" in <dataDir>/applications, running
    // a script that appends the paths it is asked to open to `record`.
    static void installFinalCut(const QString &dataDir, const QString &record);
    static void removeFinalCut(const QString &dataDir);
    // The processes of a process group that are still running (zombies,
    // which run nothing, are left out), from /proc.
    static QList<qint64> runningInGroup(qint64 groupId);
    // A stand-in for REDline that starts a helper ignoring SIGTERM, writes
    // its process group id to `record` and then runs `ending`.
    static QString redlineWithHelper(const QString &path, const QString &record,
                                     const QByteArray &ending);
    // The id of a process that has ended and been reaped.
    static qint64 endedProcessId();
    // The group id that redlineWithHelper() recorded, or 0.
    static qint64 recordedGroup(const QString &record);

private:
    // A shell loop's step that counts rounds in $i and exits 9 with `why`
    // after `rounds` of them.
    static QByteArray giveUpAfter(int rounds, const QByteArray &why);
};
