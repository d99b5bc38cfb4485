// What a conversion pays for its name and its movie before and after
// REDline runs, in an output folder of 10,000 movies: the snapshot of the
// folder's movies, the look at claims left behind, taking and releasing the
// claim on the movie's name, and (after REDline) finding the movie among
// the folder's movies. Median of 50. The folder's movies are of other clips
// (the usual case); with "same", every one of them holds the clip's name, so
// each is examined (the worst case).
//
//   bench_claim [movies] [same]
#include "runner/OutputClaim.h"
#include "runner/OutputDiscovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool touch(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write("movie") == 5;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10'000;
    const bool same = argc > 2 && qstrcmp(argv[2], "same") == 0;
    QTemporaryDir dir;
    for (int i = 0; i < count; ++i) {
        if (!touch(dir.filePath(QStringLiteral("A%1_C001_tarnel.mov").arg(i, 5, 10, QChar(u'0')))))
            return 1;
    }

    std::vector<double> before, after;
    int found = 0;
    for (int run = 0; run < 50; ++run) {
        const QString base = same ? QStringLiteral("C001") : QStringLiteral("B%1_C001").arg(run);
        const QString name = base + QStringLiteral("_tarnel_") + QString::number(run);
        QElapsedTimer clock;
        clock.start();
        OutputDiscovery::Snapshot snapshot = OutputDiscovery::snapshot(dir.path(), base);
        const auto left = OutputClaim::collectAbandoned(dir.path(), snapshot.claims);
        auto claim = OutputClaim::take(dir.path(), name);
        before.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!std::holds_alternative<OutputClaim>(claim) || !left.isEmpty())
            return 1;

        // REDline writes the movie; then it is found, and the claim goes.
        touch(dir.filePath(name + QStringLiteral(".mov")));
        const QDateTime start = QDateTime::currentDateTimeUtc();
        clock.restart();
        const auto movie = OutputDiscovery::findOutputFile(dir.path(), base, name, start, snapshot);
        claim = OutputClaim::Held{};
        after.push_back(double(clock.nsecsElapsed()) / 1e6);
        found += movie.has_value();
    }
    out << "folder of " << count << (same ? " movies holding the clip's name" : " movies")
        << ": snapshot + abandoned claims + claim " << QString::number(median(before), 'f', 2)
        << " ms; discovery + release " << QString::number(median(after), 'f', 2) << " ms; total "
        << QString::number(median(before) + median(after), 'f', 2)
        << " ms per conversion (median of 50; " << found << "/50 movies found)\n";
    return found == 50 ? 0 : 1;
}
