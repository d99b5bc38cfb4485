#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Where REDline is: whether a configured path counts as found, and where
// "Detect" looks for it.
class REDlineLocator {
public:
    // The usual places of a Linux installation, looked at after PATH.
    static QStringList installPlaces();

    // True for an absolute path at which something exists. A relative path
    // never counts: it would be resolved against whatever folder Tarnel was
    // started in, and run whatever program of that name happens to be there.
    static bool isFound(const QString &path);

    // The places looked at, in order: `firstChoice` (the default location),
    // "REDline" in each folder of PATH that is an absolute path, then
    // installPlaces().
    static QStringList candidates(const QString &firstChoice);
    // The first candidate that is an executable regular file (links to one
    // count), or none.
    static std::optional<QString> detect(const QString &firstChoice);
};
