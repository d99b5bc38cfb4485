#include "REDlineLocator.h"

#include <QDir>
#include <QFileInfo>

QStringList REDlineLocator::installPlaces() {
    return {QStringLiteral("/usr/local/bin/REDline"), QStringLiteral("/opt/red/REDline"),
            QStringLiteral("/opt/red/bin/REDline"), QStringLiteral("/opt/REDCINE-X/REDline")};
}

bool REDlineLocator::isFound(const QString &path) {
    return QDir::isAbsolutePath(path) && QFileInfo::exists(path);
}

QStringList REDlineLocator::candidates(const QString &firstChoice) {
    QStringList places{firstChoice};
    const QStringList path =
        qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &folder : path) {
        if (QDir::isAbsolutePath(folder))
            places << QDir(folder).filePath(QStringLiteral("REDline"));
    }
    return places + installPlaces();
}

std::optional<QString> REDlineLocator::detect(const QString &firstChoice) {
    for (const QString &place : candidates(firstChoice)) {
        const QFileInfo info(place);
        if (info.isFile() && info.isExecutable())
            return place;
    }
    return std::nullopt;
}
