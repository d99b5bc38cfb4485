#include "OutputDiscovery.h"

#include "OutputClaim.h"
#include "model/FileName.h"
#include "platform/OpenFolder.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <string_view>

QDateTime OutputDiscovery::distantPast() {
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
}

QDateTime OutputDiscovery::modificationDate(const QString &path) {
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    return modified.isValid() ? modified : distantPast();
}

namespace {

using MovieState = OutputDiscovery::MovieState;
using Snapshot = OutputDiscovery::Snapshot;

struct Movie {
    QString name; // file name
    qint64 modifiedNs = 0;
};

bool isMovieName(QByteArrayView name) {
    return name.size() >= 4 && name.last(4).compare(".mov", Qt::CaseInsensitive) == 0;
}

// Whether the name holds `part` (a plain byte search; fast for short names).
bool holds(QByteArrayView name, const QByteArray &part) {
    return std::string_view(name.data(), size_t(name.size()))
               .find(std::string_view(part.constData(), size_t(part.size()))) !=
           std::string_view::npos;
}

bool mayBeFile(const OpenFolder::Entry &entry) {
    return entry.kind == OpenFolder::Kind::file || entry.kind == OpenFolder::Kind::unknown;
}

// The key of a movie the snapshot does not examine: its inode and the
// FNV-1a hash of its name. A collision can only make a new movie look old
// (never the reverse), and needs the same inode as well.
std::pair<quint64, quint64> otherKey(const OpenFolder::Entry &entry) {
    quint64 hash = 14695981039346656037ULL;
    for (const char c : entry.name) {
        hash ^= quint8(c);
        hash *= 1099511628211ULL;
    }
    return {entry.inode, hash};
}

// Only a regular file is a movie, judged by the entry itself: a link (to
// /dev/zero, to a file elsewhere), a pipe or a folder named like one is not,
// and opening it could block or read something else.
std::optional<MovieState> movieState(const OpenFolder &folder, const char *name) {
    const auto status = folder.status(name);
    if (!status || status->kind != OpenFolder::Kind::file)
        return std::nullopt;
    return MovieState{status->inode, status->size, status->modifiedNs};
}

// The movie written under the expected name with the extension spelt as
// REDline spells it, when looking that name up settles the choice: it is a
// regular file, new or changed since `before`, and no other spelling of its
// extension names an entry (on a file system that ignores case, or beside
// such a twin, the listing decides). Only a name that the snapshot examined
// can be judged this way.
std::optional<QString> expectedMovie(const OpenFolder &folder, const QString &expectedName,
                                     const Snapshot &before) {
    const QByteArray stem = QFile::encodeName(expectedName);
    if (stem.isEmpty() || stem.contains('/') ||
        (before.taken && (before.baseName.isEmpty() || !stem.contains(before.baseName))))
        return std::nullopt;
    const QByteArray name = stem + ".mov";
    const auto now = movieState(folder, name.constData());
    if (!now)
        return std::nullopt;
    if (const auto earlier = before.examined.constFind(name);
        earlier != before.examined.cend() && *earlier == *now)
        return std::nullopt;
    for (int spelling = 1; spelling < 8; ++spelling) {
        QByteArray other = name;
        for (int letter = 0; letter < 3; ++letter) {
            if (spelling & (1 << letter))
                other[stem.size() + 1 + letter] = char(other[stem.size() + 1 + letter] - 'a' + 'A');
        }
        if (folder.status(other.constData()))
            return std::nullopt;
    }
    return expectedName + QStringLiteral(".mov");
}

// Every movie that is new since `before`, or changed among those it examined.
std::vector<Movie> freshMovies(OpenFolder &folder, const Snapshot &before) {
    auto others = before.others;
    std::sort(others.begin(), others.end());
    std::vector<Movie> fresh;
    OpenFolder::Entry entry;
    while (folder.next(entry)) {
        if (!isMovieName(entry.name) || !mayBeFile(entry))
            continue;
        const auto earlier = before.examined.constFind(
            QByteArray::fromRawData(entry.name.data(), entry.name.size()));
        const bool examined = earlier != before.examined.cend();
        if (!examined && std::binary_search(others.cbegin(), others.cend(), otherKey(entry)))
            continue;
        const auto now = movieState(folder, entry.name.data());
        if (!now || (examined && *now == *earlier))
            continue;
        fresh.push_back({QFile::decodeName(entry.name.data()), now->modifiedNs});
    }
    return fresh;
}

// The newest of the candidates; of equal times, the last listed.
std::optional<QString> newest(const QString &folder, std::vector<Movie> candidates) {
    if (candidates.empty())
        return std::nullopt;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Movie &a, const Movie &b) { return a.modifiedNs < b.modifiedNs; });
    return folder + u'/' + candidates.back().name;
}

std::optional<QString> choose(const QString &folder, const std::vector<Movie> &fresh,
                              const QString &baseName, const QString &expectedName,
                              const QDateTime &startedAt) {
    std::vector<Movie> exact, named, byName, recent;
    const qint64 thresholdNs = startedAt.addMSecs(-2000).toMSecsSinceEpoch() * 1'000'000;
    for (const Movie &movie : fresh) {
        const QString name = FileName::baseName(movie.name);
        if (name == expectedName)
            exact.push_back(movie);
        else if (name.startsWith(expectedName))
            named.push_back(movie);
        else if (name.contains(u"_tarnel"))
            continue;
        else if (name.contains(expectedName) || name.contains(baseName))
            byName.push_back(movie);
        else if (movie.modifiedNs >= thresholdNs)
            recent.push_back(movie);
    }
    // The exact name first: a movie named like its clip ("A001_C001") is a
    // prefix of the next clip of that name's ("A001_C001_2").
    for (std::vector<Movie> *tier : {&exact, &named, &byName}) {
        if (!tier->empty())
            return newest(folder, std::move(*tier));
    }
    return newest(folder, std::move(recent));
}

} // namespace

Snapshot OutputDiscovery::snapshot(const QString &folder, const QString &baseName) {
    Snapshot snapshot;
    snapshot.baseName = QFile::encodeName(baseName);
    snapshot.taken = true;
    snapshot.others.reserve(4096);
    OpenFolder open(folder);
    OpenFolder::Entry entry;
    while (open.next(entry)) {
        if (OutputClaim::isClaimFileName(entry.name)) {
            snapshot.claims.append(QFile::decodeName(entry.name.data()));
            continue;
        }
        if (!isMovieName(entry.name) || !mayBeFile(entry))
            continue;
        if (snapshot.baseName.isEmpty() || !holds(entry.name, snapshot.baseName))
            snapshot.others.push_back(otherKey(entry));
        else if (const auto state = movieState(open, entry.name.data()))
            snapshot.examined.insert(entry.name.toByteArray(), *state);
    }
    return snapshot;
}

std::optional<QString> OutputDiscovery::findOutputFile(const QString &folder,
                                                       const QString &baseName,
                                                       const QString &expectedName,
                                                       const QDateTime &startedAt,
                                                       const Snapshot &before) {
    OpenFolder open(folder);
    if (!open.isOpen())
        return std::nullopt;
    if (const auto movie = expectedMovie(open, expectedName, before))
        return folder + u'/' + *movie;
    return choose(folder, freshMovies(open, before), baseName, expectedName, startedAt);
}

std::optional<QString> OutputDiscovery::findOutputFile(const QString &folder,
                                                       const QString &baseName,
                                                       const QString &expectedName,
                                                       const QDateTime &startedAt) {
    return findOutputFile(folder, baseName, expectedName, startedAt, Snapshot{});
}
