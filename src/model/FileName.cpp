#include "FileName.h"

namespace {

// Index of the dot that starts the extension in a last component, or -1.
qsizetype extensionDot(const QString &component) {
    const qsizetype dot = component.lastIndexOf(u'.');
    return dot > 0 ? dot : -1;
}

} // namespace

QString FileName::lastComponent(const QString &path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash < 0 ? trimmed : trimmed.mid(slash + 1);
}

QString FileName::pathExtension(const QString &path) {
    const QString component = lastComponent(path);
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? QString() : component.mid(dot + 1);
}

QString FileName::baseName(const QString &path) {
    const QString component = lastComponent(path);
    const qsizetype dot = extensionDot(component);
    return dot < 0 ? component : component.left(dot);
}

bool FileName::denotesFolder(const QUrl &url) {
    return url.path().endsWith(u'/');
}

QString FileName::folderPath(const QUrl &url) {
    QString p = url.toLocalFile();
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}
