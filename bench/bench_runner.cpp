// Runner benchmarks:
//  1. parseProgress throughput on output shaped like REDline's;
//  2. capturing a child that prints 200 MB to its two pipes, against `cat`
//     of the same bytes to /dev/null (the ratio is the figure);
//  3. readMetadata on a movie of more than 1 GB (header only).
#include "platform/ProcessRunner.h"
#include "runner/MediaProbe.h"
#include "runner/ProgressParser.h"
#include "runner/REDlineRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

QTextStream out(stdout);

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void benchParse() {
    // Chunks as a reader sees them: a few progress lines mixed with the
    // decoder's chatter, about 4 KB each.
    std::vector<QString> chunks;
    qsizetype bytes = 0;
    for (int c = 0; c < 2000; ++c) {
        QString chunk;
        for (int l = 0; chunk.size() < 4000; ++l) {
            const int frame = c * 40 + l;
            chunk += l % 3 == 0
                         ? QStringLiteral("frame complete. %1 %2\n")
                               .arg(frame)
                               .arg(frame / 80000.0, 0, 'f', 6)
                         : QStringLiteral("[R3D SDK] decode frame %1 at 4.5K 5:1 (GPU off)\n")
                               .arg(frame);
            if (l % 25 == 0)
                chunk += QStringLiteral("%1%\n").arg(frame / 800);
        }
        bytes += chunk.size();
        chunks.push_back(chunk);
    }
    std::vector<double> runs;
    double sink = 0;
    for (int r = 0; r < 5; ++r) {
        QElapsedTimer t;
        t.start();
        for (const QString &chunk : chunks)
            sink += ProgressParser::parseProgress(chunk).value_or(0);
        runs.push_back(t.nsecsElapsed() / 1e9);
    }
    const double s = median(runs);
    out << QStringLiteral("parseProgress: %1 chunks of ~4 KB (%2 MB of text) in %3 ms: %4 MB/s, "
                          "%5 us per chunk (checksum %6)\n")
               .arg(chunks.size())
               .arg(bytes / 1e6, 0, 'f', 1)
               .arg(s * 1000, 0, 'f', 1)
               .arg(bytes / 1e6 / s, 0, 'f', 0)
               .arg(s * 1e6 / chunks.size(), 0, 'f', 1)
               .arg(sink, 0, 'f', 1);
}

void benchCapture(const QString &scratch) {
    // 100 MB of text with progress lines, printed once to each pipe.
    const QString data = scratch + QStringLiteral("/output.txt");
    {
        QFile f(data);
        f.open(QIODevice::WriteOnly);
        QByteArray block;
        for (int i = 0; block.size() < 1'000'000; ++i)
            block += "frame complete. " + QByteArray::number(i) + " 0." +
                     QByteArray::number(i % 1000) +
                     "\n[R3D SDK] decoding tile 12 of 48, 4.5K, 23.976 fps\n";
        block.truncate(1'000'000);
        for (int i = 0; i < 100; ++i)
            f.write(block);
    }
    const QString bytes = QString::number(QFileInfo(data).size() * 2 / 1e6, 'f', 0);
    const QString captured = QStringLiteral("cat '%1'; cat '%1' >&2").arg(data);
    const QString discarded = QStringLiteral("cat '%1' >/dev/null; cat '%1' >/dev/null").arg(data);

    std::vector<double> runs, baseline;
    for (int r = 0; r < 3; ++r) {
        QElapsedTimer t;
        t.start();
        ProcessRunner runner;
        int delivered = 0;
        auto outcome = runner.run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), captured},
                                  REDlineRunner::progressReader([&](double) { ++delivered; }));
        runs.push_back(t.nsecsElapsed() / 1e9);
        if (std::get<ProcessResult>(outcome).standardOutputText.size() != runner.tailBytes)
            out << "capture lost its tail!\n";
        t.restart();
        QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), discarded});
        baseline.push_back(t.nsecsElapsed() / 1e9);
    }
    const double c = median(runs), b = median(baseline);
    out << QStringLiteral("capture: %1 MB over two pipes in %2 s (%3 MB/s); cat to /dev/null "
                          "%4 s; ratio %5\n")
               .arg(bytes)
               .arg(c, 0, 'f', 2)
               .arg(200 / c, 0, 'f', 0)
               .arg(b, 0, 'f', 3)
               .arg(c / b, 0, 'f', 1);
}

void benchMetadata(const QString &scratch) {
    const QString movie = scratch + QStringLiteral("/big.mov");
    // Uncompressed 4:2:2 1080p: 10 s at 25 fps is just over 1 GB; with
    // stereo sound and a timecode track with a reel, as a camera clip's
    // conversion has them.
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-nostdin"),
                       QStringLiteral("-loglevel"),
                       QStringLiteral("error"),
                       QStringLiteral("-y"),
                       QStringLiteral("-f"),
                       QStringLiteral("lavfi"),
                       QStringLiteral("-i"),
                       QStringLiteral("color=c=gray:s=1920x1080:r=25:d=10"),
                       QStringLiteral("-f"),
                       QStringLiteral("lavfi"),
                       QStringLiteral("-i"),
                       QStringLiteral("anullsrc=cl=stereo:r=48000:d=10"),
                       QStringLiteral("-c:v"),
                       QStringLiteral("rawvideo"),
                       QStringLiteral("-pix_fmt"),
                       QStringLiteral("uyvy422"),
                       QStringLiteral("-c:a"),
                       QStringLiteral("pcm_s16le"),
                       QStringLiteral("-timecode"),
                       QStringLiteral("10:00:00:00"),
                       QStringLiteral("-metadata:s:v:0"),
                       QStringLiteral("reel_name=A001"),
                       movie});
    std::vector<double> runs;
    R3DMetadata m;
    for (int r = 0; r < 20; ++r) {
        QElapsedTimer t;
        t.start();
        m = MediaProbe::readMetadata(movie);
        runs.push_back(t.nsecsElapsed() / 1e6);
    }
    out << QStringLiteral("readMetadata: %1 GB movie (%2x%3, %4 fps, %5 frames, timecode %6, "
                          "reel %7, %8 audio track(s)) in %9 ms (median of 20)\n")
               .arg(QFileInfo(movie).size() / 1e9, 0, 'f', 2)
               .arg(m.width)
               .arg(m.height)
               .arg(m.frameRate)
               .arg(m.frameCount)
               .arg(m.startTimecode, m.reelName)
               .arg(m.audioTracks.size())
               .arg(median(runs), 0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    // "metadata" alone: only the movie measurement.
    if (app.arguments().value(1) == QLatin1String("metadata")) {
        benchMetadata(scratch.path());
        return 0;
    }
    benchParse();
    out.flush();
    benchCapture(scratch.path());
    out.flush();
    benchMetadata(scratch.path());
    return 0;
}
