#pragma once

#include "PlatformError.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// The desktop's workspace services: find an application by its identifier
// and open documents with it, show a file in the file manager, open a web
// page. One implementation per platform.
class Workspace {
public:
    virtual ~Workspace() = default;

    // Where the application with this identifier is installed, or none.
    virtual std::optional<QString> applicationForIdentifier(const QString &identifier) = 0;
    // Asks the application to open the files, without waiting for it.
    virtual std::optional<PlatformError> open(const QStringList &files,
                                              const QString &application) = 0;
    // Shows the file or folder selected in the file manager.
    virtual void reveal(const QString &path) = 0;
    // Opens a web page in the user's browser.
    virtual void openURL(const QUrl &url) = 0;

    // The platform's own implementation.
    static Workspace &shared();
};
