#pragma once

#include <QCoreApplication>
#include <QString>
#include <QUrl>

// The visible texts that name the desktop's own things: the file manager and
// the videos folder. Each is written once for macOS, where the window's
// texts were first written, and once in this platform's words; both are
// translated.
class PlatformWords {
    Q_DECLARE_TR_FUNCTIONS(PlatformWords)

public:
    // The finished row's button that shows the movie in the file manager.
    static QString showInFileManager();
    // The tooltip and accessible name of the output folder's reveal button.
    static QString revealOutputFolder();
    // The link back to the default folder, naming the folder that holds it
    // (`defaultFolder` is the default output folder, "…/Tarnel").
    static QString useDefaultFolder(const QUrl &defaultFolder);
};
