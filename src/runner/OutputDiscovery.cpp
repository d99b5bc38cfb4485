#include "OutputDiscovery.h"

#include "model/FileName.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
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

std::optional<QString> OutputDiscovery::findOutputFile(const QString &folder,
                                                       const QString &baseName,
                                                       const QString &expectedName,
                                                       const QDateTime &startedAt) {
    struct Entry {
        QString path;
        QDateTime modified;
    };
    std::vector<Entry> movies;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (FileName::pathExtension(info.fileName()).toLower() != u"mov")
            continue;
        // Only a regular file is a movie, judged by the entry itself: a link
        // (to /dev/zero, to a file elsewhere), a pipe or a folder named like
        // one is not, and opening it could block or read something else.
        struct stat st {};
        if (::lstat(QFile::encodeName(info.filePath()).constData(), &st) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(
            qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1'000'000, Qt::UTC);
        movies.push_back({info.filePath(), modified});
    }

    std::vector<Entry> candidates;
    for (const Entry &e : movies) {
        const QString name = FileName::baseName(e.path);
        if (name == expectedName || name.contains(expectedName) || name.contains(baseName))
            candidates.push_back(e);
    }
    if (candidates.empty()) {
        const QDateTime threshold = startedAt.addMSecs(-2000);
        for (const Entry &e : movies) {
            if (e.modified >= threshold)
                candidates.push_back(e);
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Entry &a, const Entry &b) { return a.modified < b.modified; });
    if (candidates.empty())
        return std::nullopt;
    return candidates.back().path;
}
