// Times addFiles on one folder of N R3D files, first into an empty queue and
// then again when every file is already listed (the duplicate test alone).
// The cost per file must stay flat from 10,000 to 20,000 files. The second
// table does the same with every clip spanned over three pieces
// (<clip>_001.R3D … _003.R3D), N files making N / 3 jobs. The third table
// times addFiles on a day's offload of 10 to 100 cards (CardTree: 100 clips
// of 4 pieces each, one clip folder per clip), 4,000 to 40,000 files: the
// whole intake, walk, listings, sizes and jobs, as tarnel-cli does it. The
// last table times naming the next movie when every other job of the list
// is converted (a check that runs once as each conversion starts).
#include "CardTree.h"
#include "model/TranscodeJob.h"
#include "platform/SoundPlayer.h"
#include "platform/Workspace.h"
#include "queue/TranscodeQueue.h"
#include "settings/UserSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

double medianMs(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[]) {
    QTemporaryDir scratch;
    // The settings store lives in the scratch folder, never the user's.
    qputenv("HOME", QFile::encodeName(scratch.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.filePath(QStringLiteral(".config"))));
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    UserSettings settings;
    const QString log = scratch.filePath(QStringLiteral("bench_log.txt"));
    for (const int pieces : {1, 3}) {
        if (pieces > 1)
            out << "\nspanned clips of " << pieces << " pieces\n";
        out << "files   first add (ms)  per file (us)  repeat add (ms)  per file (us)\n";
        for (const int n : {10'000, 20'000}) {
            const QString folder =
                scratch.filePath(QStringLiteral("clips%1x%2").arg(n).arg(pieces));
            QDir().mkpath(folder);
            for (int i = 0; i < n; ++i) {
                const int clip = i / pieces, piece = i % pieces + 1;
                const QString name =
                    pieces == 1
                        ? QStringLiteral("A%1_C001_0101AB.R3D").arg(i, 6, 10, QLatin1Char('0'))
                        : QStringLiteral("A%1_C%2_0101AB_%3.R3D") // RED's clip names
                              .arg(clip / 1000, 3, 10, QLatin1Char('0'))
                              .arg(clip % 1000, 3, 10, QLatin1Char('0'))
                              .arg(piece, 3, 10, QLatin1Char('0'));
                QFile f(folder + u'/' + name);
                f.open(QIODevice::WriteOnly);
                f.resize(1'000'000);
            }
            const QUrl url = QUrl::fromLocalFile(folder + u'/');
            std::vector<double> first, repeat;
            for (int run = 0; run < 5; ++run) {
                TranscodeQueue q(settings, SoundPlayer::system(), Workspace::shared());
                q.setLogPath(log);
                QElapsedTimer t;
                t.start();
                q.addFiles({url});
                first.push_back(t.nsecsElapsed() / 1e6);
                t.restart();
                q.addFiles({url});
                repeat.push_back(t.nsecsElapsed() / 1e6);
                if (q.jobs().size() != (n + pieces - 1) / pieces)
                    return 1;
            }
            const double f = medianMs(first), r = medianMs(repeat);
            out << QStringLiteral("%1  %2  %3  %4  %5\n")
                       .arg(n, 5)
                       .arg(f, 15, 'f', 1)
                       .arg(f * 1000 / n, 13, 'f', 2)
                       .arg(r, 15, 'f', 1)
                       .arg(r * 1000 / n, 13, 'f', 2);
        }
    }

    out << "\ncards of 100 clips of 4 pieces, one day folder\n"
           "cards  files   clips  add (ms)  per file (us)\n";
    for (const int cards : {10, 20, 50, 100}) {
        const QUrl day = QUrl::fromLocalFile(CardTree::make(scratch.path(), cards, 100, 4) + u'/');
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            TranscodeQueue q(settings, SoundPlayer::system(), Workspace::shared());
            q.setLogPath(log);
            QElapsedTimer t;
            t.start();
            q.addFiles({day});
            times.push_back(double(t.nsecsElapsed()) / 1e6);
            if (q.jobs().size() != cards * 100)
                return 1;
        }
        const double ms = medianMs(times);
        out << QStringLiteral("%1  %2  %3  %4  %5\n")
                   .arg(cards, 5)
                   .arg(cards * 400, 5)
                   .arg(cards * 100, 6)
                   .arg(ms, 8, 'f', 1)
                   .arg(ms * 1000 / (cards * 400), 13, 'f', 2);
    }

    out << "\nnaming the next movie among converted jobs\n"
           "jobs    outputName (ms)\n";
    for (const int n : {10'000, 100'000}) {
        TranscodeQueue q(settings, SoundPlayer::system(), Workspace::shared());
        q.setLogPath(log);
        QList<QUrl> urls;
        for (int i = 0; i < n; ++i)
            urls << QUrl::fromLocalFile(
                QStringLiteral("/card/A%1_C001.R3D").arg(i, 6, 10, QLatin1Char('0')));
        q.addFiles(urls);
        for (qsizetype i = 0; i + 1 < q.jobs().size(); ++i) {
            TranscodeJob *job = q.jobs()[i];
            job->setOutputURL(QUrl::fromLocalFile(
                u"/out/" + job->sourceURL().fileName().chopped(4) + u"_tarnel.mov"));
            job->setStatus(JobStatus::done);
        }
        std::vector<double> times;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            if (q.outputName(q.jobs().last(), QStringLiteral("/out")).isEmpty())
                return 1;
            times.push_back(t.nsecsElapsed() / 1e6);
        }
        out << QStringLiteral("%1  %2\n").arg(n, 6).arg(medianMs(times), 15, 'f', 2);
    }
    return 0;
}
