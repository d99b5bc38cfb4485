#pragma once

#include "platform/Workspace.h"

// Remembers which files were to be revealed and which pages opened, instead
// of asking the desktop. Applications are found and started by the real
// workspace, among those the test installed in its own data folders.
class RecordingWorkspace : public Workspace {
public:
    std::optional<QString> applicationForIdentifier(const QString &identifier) override {
        return Workspace::shared().applicationForIdentifier(identifier);
    }
    std::optional<PlatformError> open(const QStringList &files,
                                      const QString &application) override {
        return Workspace::shared().open(files, application);
    }
    void reveal(const QString &path) override { revealed << path; }
    void openURL(const QUrl &url) override { opened << url; }

    QStringList revealed;
    QList<QUrl> opened;
};
