#pragma once

#include "Workspace.h"

// The freedesktop workspace: applications are desktop entries
// ("<identifier>.desktop" in the XDG applications folders) launched with GIO;
// files are revealed through the file manager's D-Bus service
// (org.freedesktop.FileManager1), falling back to opening the containing
// folder; web pages open with the default browser.
class GioWorkspace : public Workspace {
public:
    std::optional<QString> applicationForIdentifier(const QString &identifier) override;
    std::optional<PlatformError> open(const QStringList &files,
                                      const QString &application) override;
    void reveal(const QString &path) override;
    void openURL(const QUrl &url) override;
};
