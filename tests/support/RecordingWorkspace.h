#pragma once

#include "platform/Workspace.h"

// Remembers which files were to be revealed and which pages opened, instead
// of asking the desktop.
class RecordingWorkspace : public Workspace {
public:
    std::optional<QString> applicationForIdentifier(const QString &) override { return {}; }
    std::optional<PlatformError> open(const QStringList &, const QString &) override {
        return PlatformError{QStringLiteral("test"), 1, QStringLiteral("not in tests")};
    }
    void reveal(const QString &path) override { revealed << path; }
    void openURL(const QUrl &url) override { opened << url; }

    QStringList revealed;
    QList<QUrl> opened;
};
