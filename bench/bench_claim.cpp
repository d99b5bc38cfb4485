// What a conversion pays for its name and its movie before and after
// REDline runs, in an output folder of 10,000 movies: the snapshot of the
// folder's movies, the look at claims left behind, taking and releasing the
// claim on the movie's name, and (after REDline) finding the movie among
// the folder's movies. Median of 50, in wall-clock time and in CPU time
// (user and system: what the machine's load does not inflate). The folder's
// movies are of other clips (the usual case); with "same", every one of them
// holds the clip's name, so each is examined (the worst case); with
// "suffix", REDline adds a suffix to the movie's name, so discovery lists
// the folder instead of looking the name up.
//
//   bench_claim [movies] [same|suffix]
#include "runner/OutputClaim.h"
#include "runner/OutputDiscovery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>
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

// Wall-clock and CPU time since the last lap, in ms.
class Laps {
public:
    Laps() { restart(); }
    void restart() {
        m_wall.start();
        m_cpu = cpuMs();
    }
    void lap(std::vector<double> &wall, std::vector<double> &cpu) {
        wall.push_back(double(m_wall.nsecsElapsed()) / 1e6);
        cpu.push_back(cpuMs() - m_cpu);
    }

private:
    static double cpuMs() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

QString ms(const std::vector<double> &v) {
    return QString::number(median(v), 'f', 2) + QStringLiteral(" ms");
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10'000;
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    const bool same = mode == "same", suffix = mode == "suffix";
    QTemporaryDir dir;
    for (int i = 0; i < count; ++i) {
        if (!touch(dir.filePath(QStringLiteral("A%1_C001_tarnel.mov").arg(i, 5, 10, QChar(u'0')))))
            return 1;
    }

    std::vector<double> snapshotWall, snapshotCpu, beforeWall, beforeCpu, afterWall, afterCpu;
    int found = 0;
    for (int run = 0; run < 50; ++run) {
        const QString base = same ? QStringLiteral("C001") : QStringLiteral("B%1_C001").arg(run);
        const QString name = base + QStringLiteral("_tarnel_") + QString::number(run);
        Laps laps;
        OutputDiscovery::Snapshot snapshot = OutputDiscovery::snapshot(dir.path(), base);
        laps.lap(snapshotWall, snapshotCpu);
        const auto left = OutputClaim::collectAbandoned(dir.path(), snapshot.claims);
        auto claim = OutputClaim::take(dir.path(), name);
        laps.lap(beforeWall, beforeCpu);
        if (!std::holds_alternative<OutputClaim>(claim) || !left.isEmpty())
            return 1;

        // REDline writes the movie; then it is found, and the claim goes.
        const QString written =
            name + (suffix ? QStringLiteral("_001.mov") : QStringLiteral(".mov"));
        touch(dir.filePath(written));
        const QDateTime start = QDateTime::currentDateTimeUtc();
        laps.restart();
        const auto movie = OutputDiscovery::findOutputFile(dir.path(), base, name, start, snapshot);
        claim = OutputClaim::Held{};
        laps.lap(afterWall, afterCpu);
        found += movie == dir.filePath(written);
    }
    std::vector<double> totalWall, totalCpu;
    for (size_t i = 0; i < beforeWall.size(); ++i) {
        totalWall.push_back(beforeWall[i] + afterWall[i]);
        totalCpu.push_back(beforeCpu[i] + afterCpu[i]);
    }
    out << "folder of " << count << " movies"
        << (same     ? " holding the clip's name"
            : suffix ? ", movie written with a suffix"
                     : "")
        << ": snapshot " << ms(snapshotWall) << " (with abandoned claims and the claim "
        << ms(beforeWall) << "); discovery + release " << ms(afterWall) << "; total "
        << ms(totalWall) << " per conversion (CPU " << ms(totalCpu) << "; median of 50; " << found
        << "/50 movies found)\n";
    return found == 50 ? 0 : 1;
}
