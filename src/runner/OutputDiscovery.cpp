#include "OutputDiscovery.h"

#include "OutputClaim.h"
#include "model/FileName.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

QDateTime OutputDiscovery::distantPast() {
    return QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
}

QDateTime OutputDiscovery::modificationDate(const QString &path) {
    const QFileInfo info(path);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    return modified.isValid() ? modified : distantPast();
}

namespace {

struct Movie {
    QString name; // file name
    OutputDiscovery::MovieState state;
};

// One pass over the folder: its movies (regular files with the extension
// mov, any case) with their state, in listing order, and its claim files.
// Only a regular file is a movie, judged by the entry itself: a link (to
// /dev/zero, to a file elsewhere), a pipe or a folder named like one is not,
// and opening it could block or read something else.
std::vector<Movie> listMovies(const QString &folder, QStringList *claims) {
    std::vector<Movie> movies;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return movies;
    const int fd = ::dirfd(dir);
    while (const dirent *item = ::readdir(dir)) {
        const QByteArrayView bytes(item->d_name);
        if (bytes.size() < 4)
            continue;
        if (claims && OutputClaim::isClaimFileName(bytes)) {
            claims->append(QFile::decodeName(item->d_name));
            continue;
        }
        const QByteArrayView extension = bytes.last(4);
        if (extension.compare(".mov", Qt::CaseInsensitive) != 0)
            continue;
        if (item->d_type != DT_REG && item->d_type != DT_UNKNOWN)
            continue;
        struct stat st {};
        if (::fstatat(fd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        movies.push_back({QFile::decodeName(item->d_name),
                          {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                           qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec}});
    }
    ::closedir(dir);
    return movies;
}

} // namespace

OutputDiscovery::Snapshot OutputDiscovery::snapshot(const QString &folder) {
    Snapshot snapshot;
    std::vector<Movie> movies = listMovies(folder, &snapshot.claims);
    snapshot.movies.reserve(qsizetype(movies.size()));
    for (Movie &movie : movies)
        snapshot.movies.insert(std::move(movie.name), movie.state);
    return snapshot;
}

std::optional<QString> OutputDiscovery::findOutputFile(const QString &folder,
                                                       const QString &baseName,
                                                       const QString &expectedName,
                                                       const QDateTime &startedAt,
                                                       const Snapshot &before) {
    std::vector<Movie> fresh;
    for (Movie &movie : listMovies(folder, nullptr)) {
        const auto earlier = before.movies.constFind(movie.name);
        if (earlier == before.movies.cend() || *earlier != movie.state)
            fresh.push_back(std::move(movie));
    }
    const auto newest = [&folder](std::vector<Movie> candidates) -> std::optional<QString> {
        if (candidates.empty())
            return std::nullopt;
        std::stable_sort(candidates.begin(), candidates.end(), [](const Movie &a, const Movie &b) {
            return a.state.modifiedNs < b.state.modifiedNs;
        });
        return folder + u'/' + candidates.back().name;
    };

    std::vector<Movie> exact, named, byName, recent;
    const qint64 thresholdNs = startedAt.addMSecs(-2000).toMSecsSinceEpoch() * 1'000'000;
    for (const Movie &movie : fresh) {
        const QString name = FileName::baseName(movie.name);
        if (name == expectedName) {
            exact.push_back(movie);
            continue;
        }
        if (name.startsWith(expectedName)) {
            named.push_back(movie);
            continue;
        }
        if (name.contains(u"_tarnel"))
            continue;
        if (name.contains(expectedName) || name.contains(baseName))
            byName.push_back(movie);
        else if (movie.state.modifiedNs >= thresholdNs)
            recent.push_back(movie);
    }
    // The exact name first: a movie named like its clip ("A001_C001") is a
    // prefix of the next clip of that name's ("A001_C001_2").
    if (!exact.empty())
        return newest(std::move(exact));
    if (!named.empty())
        return newest(std::move(named));
    if (!byName.empty())
        return newest(std::move(byName));
    return newest(std::move(recent));
}
