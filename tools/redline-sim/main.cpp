// redline-sim: a stand-in for RED's REDline command-line transcoder, used by
// the tests and the demo. It honours the contract Tarnel relies on:
//
//   redline-sim --i SRC --o NAME --outDir DIR --format 201 --PRcodec D
//               --useRMD 2 --primaryDev --colorSpace 25 --gammaCurve 34
//
// writes one real ProRes QuickTime movie DIR/NAME.mov (through the ffmpeg
// program; the picture comes from SRC when ffmpeg can read it, else from a
// generated test pattern), prints progress as "frame complete. N F" lines and
// percentages while it works, and exits 0 exactly on success. Like a camera
// clip's conversion, the movie has a timecode track (the source's start, or
// 00:00:00:00) whose reel name is the clip name's first part (A001 for
// A001_C002_0101AB).
//
// Environment variables select failure modes:
//   REDLINE_SIM_ARGS_FILE=path   record the arguments there, each ending in NUL
//   REDLINE_SIM_EXIT=n           write nothing, exit with status n
//   REDLINE_SIM_STDERR_BYTES=n   print n characters to standard error first
//   REDLINE_SIM_NO_MOVIE=1       succeed without writing a movie
//   REDLINE_SIM_INVALID_UTF8=1   print bytes that are not UTF-8 on both pipes
//   REDLINE_SIM_SPLIT_PROGRESS=1 print progress lines three bytes a write
//   REDLINE_SIM_SLEEP=seconds    sleep before converting
//   REDLINE_SIM_IGNORE_TERM=1    ignore the termination request
//   REDLINE_SIM_PROGRESS_LINES=n progress lines to print (default 20)
//   REDLINE_SIM_SECONDS=s        length of a generated test pattern (default 1)
//   REDLINE_SIM_FFMPEG=path      the ffmpeg program (default: ffmpeg on PATH)
//   REDLINE_SIM_FAIL_MATCH=text  fail like a damaged clip when the source path contains text
//   REDLINE_SIM_LINE_DELAY_MS=n  pause n ms between progress lines
//   REDLINE_SIM_TIMECODE=tc      start the timecode track at tc (HH:MM:SS:FF, ";" for drop-frame)
//   REDLINE_SIM_PIECES=n         write the movie in n pieces, as an encoder does, pausing
//                                REDLINE_SIM_PIECE_DELAY_MS (default 50) between them
//   REDLINE_SIM_CUT=percent      write only that much of the movie and still exit 0 (a
//                                full disk or a crash REDline does not report)
//
// Every movie records the source it came from in its "comment" tag.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

int envInt(const char *name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

void writeOut(FILE *stream, const QByteArray &bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// ffmpeg's prores_ks profile for REDline's --PRcodec digit.
int proresProfile(const QString &codec) {
    static const QHash<QString, int> profiles{{QStringLiteral("3"), 0}, {QStringLiteral("2"), 1},
                                              {QStringLiteral("1"), 2}, {QStringLiteral("0"), 3},
                                              {QStringLiteral("4"), 4}, {QStringLiteral("5"), 5}};
    return profiles.value(codec, -1);
}

// Copies `from` over `to` in `pieces` writes with a pause between them
// (replacing what was there, as an encoder opening its output does), keeping
// only `keepPercent` of the bytes; removes `from`.
bool copyInPieces(const QString &from, const QString &to, int pieces, int keepPercent) {
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll().left(in.size() * std::clamp(keepPercent, 0, 100) / 100);
    in.remove();
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const int delay = envInt("REDLINE_SIM_PIECE_DELAY_MS", 50);
    const qsizetype step = bytes.size() / pieces + 1;
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        if (out.write(bytes.mid(at, step)) < 0 || !out.flush())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    }
    return true;
}

int usage(const QString &why) {
    writeOut(stderr, (QStringLiteral("redline-sim: ") + why + QStringLiteral("\n")).toUtf8());
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIntValue("REDLINE_SIM_IGNORE_TERM") == 1)
        std::signal(SIGTERM, SIG_IGN);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    if (const QString record = qEnvironmentVariable("REDLINE_SIM_ARGS_FILE"); !record.isEmpty()) {
        QFile f(record);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            for (int i = 1; i < argc; ++i)
                f.write(argv[i], qint64(std::strlen(argv[i])) + 1);
        }
    }

    const int stderrChars = envInt("REDLINE_SIM_STDERR_BYTES", 0);
    if (stderrChars > 0) {
        QByteArray text;
        text.reserve(stderrChars);
        for (int i = 0; text.size() < stderrChars; ++i)
            text += QByteArray("REDline diagnostic line ") + QByteArray::number(i) + '\n';
        text.truncate(stderrChars);
        writeOut(stderr, text);
    }
    if (qEnvironmentVariableIntValue("REDLINE_SIM_INVALID_UTF8") == 1) {
        writeOut(stdout, QByteArray("frame complete. 1 0.5 \xff\xfe\n"));
        writeOut(stderr, QByteArray("bad \xc3\x28 bytes\n"));
    }
    if (const int status = envInt("REDLINE_SIM_EXIT", 0); status != 0)
        return status;

    const QStringList fixed{QStringLiteral("--i"),
                            QString(),
                            QStringLiteral("--o"),
                            QString(),
                            QStringLiteral("--outDir"),
                            QString(),
                            QStringLiteral("--format"),
                            QStringLiteral("201"),
                            QStringLiteral("--PRcodec"),
                            QString(),
                            QStringLiteral("--useRMD"),
                            QStringLiteral("2"),
                            QStringLiteral("--primaryDev"),
                            QStringLiteral("--colorSpace"),
                            QStringLiteral("25"),
                            QStringLiteral("--gammaCurve"),
                            QStringLiteral("34")};
    if (args.size() != fixed.size())
        return usage(QStringLiteral("expected 17 arguments, got %1").arg(args.size()));
    for (int i = 0; i < fixed.size(); ++i) {
        if (!fixed[i].isEmpty() && args[i] != fixed[i])
            return usage(QStringLiteral("argument %1 should be %2").arg(i + 1).arg(fixed[i]));
    }
    const QString source = args[1], name = args[3], outDir = args[5];
    const int profile = proresProfile(args[9]);
    if (profile < 0)
        return usage(QStringLiteral("unknown --PRcodec ") + args[9]);
    if (!QFileInfo(outDir).isDir())
        return usage(QStringLiteral("output folder missing: ") + outDir);

    if (const QString match = qEnvironmentVariable("REDLINE_SIM_FAIL_MATCH");
        !match.isEmpty() && source.contains(match)) {
        writeOut(stdout, "frame complete. 1 0.0200\n");
        writeOut(stderr, (QStringLiteral("R3D SDK: decode error in frame 2 of ") + source +
                          QStringLiteral("\nREDline: the clip appears to be damaged; giving up.\n"))
                             .toUtf8());
        return 3;
    }
    if (const int seconds = envInt("REDLINE_SIM_SLEEP", 0); seconds > 0)
        std::this_thread::sleep_for(std::chrono::seconds(seconds));

    const int lines = envInt("REDLINE_SIM_PROGRESS_LINES", 20);
    const bool split = qEnvironmentVariableIntValue("REDLINE_SIM_SPLIT_PROGRESS") == 1;
    const int lineDelay = envInt("REDLINE_SIM_LINE_DELAY_MS", 0);
    const auto progress = [&](int i) {
        const double fraction = double(i) / lines;
        const QByteArray line = "frame complete. " + QByteArray::number(i) + ' ' +
                                QByteArray::number(fraction, 'f', 4) + '\n';
        if (split) {
            // A few bytes at a time, as a pipe may deliver them.
            for (qsizetype at = 0; at < line.size(); at += 3) {
                writeOut(stdout, line.mid(at, 3));
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        } else {
            writeOut(stdout, line);
        }
        if (i % 10 == 0)
            writeOut(stderr, QByteArray::number(int(fraction * 100)) + "%\n");
        if (lineDelay > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(lineDelay));
    };

    // Start the real conversion, and report progress while it runs. Written
    // in pieces or cut short, the movie is first made under a name that is
    // no movie's, then copied.
    const QString movie = outDir + QLatin1Char('/') + name + QStringLiteral(".mov");
    const int pieces = envInt("REDLINE_SIM_PIECES", 0);
    const int keepPercent = envInt("REDLINE_SIM_CUT", 100);
    const bool staged = pieces > 0 || keepPercent < 100;
    const QString made = staged ? outDir + QStringLiteral("/.") + name + QStringLiteral(".part-") +
                                      QString::number(QCoreApplication::applicationPid())
                                : movie;
    const bool noMovie = qEnvironmentVariableIntValue("REDLINE_SIM_NO_MOVIE") == 1;
    QProcess ffmpeg;
    if (!noMovie) {
        QString program = qEnvironmentVariable("REDLINE_SIM_FFMPEG");
        if (program.isEmpty())
            program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (program.isEmpty())
            return usage(QStringLiteral("the ffmpeg program is not installed"));
        // A source ffprobe can read gives the picture and its own timecode.
        bool readable = false;
        QString timecode = QStringLiteral("00:00:00:00");
        if (QFileInfo(source).isFile()) {
            QProcess probe;
            probe.start(QStringLiteral("ffprobe"),
                        {QStringLiteral("-v"), QStringLiteral("quiet"),
                         QStringLiteral("-show_entries"),
                         QStringLiteral("stream_tags=timecode:format_tags=timecode"),
                         QStringLiteral("-of"), QStringLiteral("default=nw=1:nk=1"), source});
            readable = probe.waitForFinished(-1) && probe.exitStatus() == QProcess::NormalExit &&
                       probe.exitCode() == 0;
            const QString found =
                QString::fromUtf8(probe.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
            if (readable && !found.isEmpty())
                timecode = found;
        }
        if (const QString given = qEnvironmentVariable("REDLINE_SIM_TIMECODE"); !given.isEmpty())
            timecode = given;
        const QString reel = QFileInfo(source).completeBaseName().section(u'_', 0, 0);
        const QString seconds = QString::number(envInt("REDLINE_SIM_SECONDS", 1));
        QStringList ff{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                       QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")};
        if (readable)
            ff << QStringLiteral("-i") << source;
        else
            ff << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
               << QStringLiteral("testsrc2=size=640x360:rate=24:duration=") + seconds
               << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
               << QStringLiteral("sine=frequency=440:sample_rate=48000:duration=") + seconds;
        ff << QStringLiteral("-map") << QStringLiteral("0:v:0");
        ff << QStringLiteral("-map") << (readable ? QStringLiteral("0:a?") : QStringLiteral("1:a"));
        ff << QStringLiteral("-c:v") << QStringLiteral("prores_ks") << QStringLiteral("-profile:v")
           << QString::number(profile) << QStringLiteral("-pix_fmt")
           << (profile >= 4 ? QStringLiteral("yuva444p10le") : QStringLiteral("yuv422p10le"))
           << QStringLiteral("-c:a") << QStringLiteral("pcm_s16le") << QStringLiteral("-timecode")
           << timecode;
        if (!reel.isEmpty())
            ff << QStringLiteral("-metadata:s:v:0") << u"reel_name=" + reel;
        ff << QStringLiteral("-metadata") << u"comment=" + source << QStringLiteral("-f")
           << QStringLiteral("mov") << made;
        ffmpeg.start(program, ff);
        if (!ffmpeg.waitForStarted())
            return usage(QStringLiteral("could not start ffmpeg"));
    }
    for (int i = 1; i < lines; ++i)
        progress(i);
    if (!noMovie) {
        ffmpeg.waitForFinished(-1);
        if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
            writeOut(stderr, ffmpeg.readAllStandardError());
            return 1;
        }
        if (staged && !copyInPieces(made, movie, std::max(pieces, 1), keepPercent))
            return usage(QStringLiteral("could not write ") + movie);
    }
    progress(lines);
    return 0;
}
