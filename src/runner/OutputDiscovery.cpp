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
    qint64 modifiedNs = 0;
};

bool isMovieName(QByteArrayView name) {
    return name.size() >= 4 && name.last(4).compare(".mov", Qt::CaseInsensitive) == 0;
}

// Only a regular file is a movie, judged by the entry itself: a link (to
// /dev/zero, to a file elsewhere), a pipe or a folder named like one is not,
// and opening it could block or read something else.
bool examine(int folderFd, const dirent *item, OutputDiscovery::MovieState *state) {
    struct stat st {};
    if (::fstatat(folderFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return false;
    state->size = qint64(st.st_size);
    state->modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    return true;
}

bool mayBeFile(const dirent *item) {
    return item->d_type == DT_REG || item->d_type == DT_UNKNOWN;
}

} // namespace

OutputDiscovery::Snapshot OutputDiscovery::snapshot(const QString &folder,
                                                    const QString &baseName) {
    Snapshot snapshot;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return snapshot;
    const QByteArray base = QFile::encodeName(baseName);
    const int fd = ::dirfd(dir);
    while (const dirent *item = ::readdir(dir)) {
        const QByteArrayView name(item->d_name);
        if (OutputClaim::isClaimFileName(name)) {
            snapshot.claims.append(QFile::decodeName(item->d_name));
            continue;
        }
        if (!isMovieName(name) || !mayBeFile(item))
            continue;
        MovieState state;
        state.inode = quint64(item->d_ino);
        if (!base.isEmpty() && name.contains(base) && !examine(fd, item, &state))
            continue;
        snapshot.movies.insert(name.toByteArray(), state);
    }
    ::closedir(dir);
    return snapshot;
}

std::optional<QString> OutputDiscovery::findOutputFile(const QString &folder,
                                                       const QString &baseName,
                                                       const QString &expectedName,
                                                       const QDateTime &startedAt,
                                                       const Snapshot &before) {
    // The movies that are new, or changed among those the snapshot examined.
    std::vector<Movie> fresh;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        const int fd = ::dirfd(dir);
        while (const dirent *item = ::readdir(dir)) {
            const QByteArrayView name(item->d_name);
            if (!isMovieName(name) || !mayBeFile(item))
                continue;
            const auto earlier =
                before.movies.constFind(QByteArray::fromRawData(name.data(), name.size()));
            const bool known =
                earlier != before.movies.cend() && earlier->inode == quint64(item->d_ino);
            if (known && earlier->size < 0)
                continue;
            MovieState now{quint64(item->d_ino)};
            if (!examine(fd, item, &now) || (known && now == *earlier))
                continue;
            fresh.push_back({QFile::decodeName(item->d_name), now.modifiedNs});
        }
        ::closedir(dir);
    }
    const auto newest = [&folder](std::vector<Movie> candidates) -> std::optional<QString> {
        if (candidates.empty())
            return std::nullopt;
        std::stable_sort(candidates.begin(), candidates.end(), [](const Movie &a, const Movie &b) {
            return a.modifiedNs < b.modifiedNs;
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
        else if (movie.modifiedNs >= thresholdNs)
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
