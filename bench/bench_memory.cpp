// Memory while REDline talks a lot: a stand-in REDline prints 1 GB (512 MB
// of progress lines and chatter on standard output, 512 MB of diagnostics on
// standard error) and fails, through the real conversion path
// (REDlineRunner::transcode). Prints the process's peak resident size before
// and after, and checks that the failure still quotes the last 800
// characters of standard error.
#include "model/TranscodeJob.h"
#include "runner/REDlineRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <optional>
#include <sys/resource.h>

namespace {

double peakResidentMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir scratch;
    const QString redline = scratch.filePath(QStringLiteral("REDline"));
    {
        QFile f(redline);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write("#!/bin/sh\n"
                "yes 'frame complete. 100 0.5000 [R3D SDK] decoding tile 12 of 48' | head -c 512M\n"
                "yes 'REDline: diagnostic line for the error tail' | head -c 512M >&2\n"
                "echo 'REDline: giving up.' >&2\n"
                "exit 3\n");
        f.close();
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    const double before = peakResidentMB();
    REDlineRunner runner;
    TranscodeJob job(QUrl::fromLocalFile(scratch.filePath(QStringLiteral("A001.R3D"))));
    std::optional<TranscodeResult> result;
    QElapsedTimer t;
    t.start();
    runner.transcode(
        {job.sourcePath(), QStringLiteral("A001_tarnel"), ProResPreset::proRes422LT, scratch.path(),
         redline, std::nullopt},
        &app, [&](double value) { job.setProgress(value); },
        [&](const TranscodeResult &r) {
            result = r;
            QCoreApplication::quit();
        });
    QCoreApplication::exec();
    const double seconds = t.nsecsElapsed() / 1e9;
    const QString text = result && result->error ? result->error->description() : QString();
    const bool tailOk = text.endsWith(QStringLiteral("giving up.\n")) &&
                        text.size() == QStringLiteral("REDline exited with code 3:\n").size() + 800;
    out << QStringLiteral("memory: 1 GB of REDline output (512 MB on each pipe) in %1 s; peak "
                          "resident %2 MB before, %3 MB after; failure text %4\n")
               .arg(seconds, 0, 'f', 1)
               .arg(before, 0, 'f', 1)
               .arg(peakResidentMB(), 0, 'f', 1)
               .arg(tailOk ? QStringLiteral("is the last 800 characters")
                           : QStringLiteral("WRONG: ") + text.left(200));
    return tailOk ? 0 : 1;
}
