#include "GioWorkspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace {

PlatformError fromGError(GError *error, const QString &fallback) {
    PlatformError e{QStringLiteral("GIO"), 0, fallback};
    if (error) {
        e.domain = QString::fromUtf8(g_quark_to_string(error->domain));
        e.code = error->code;
        e.description = QString::fromUtf8(error->message);
        g_error_free(error);
    }
    return e;
}

bool launchDefault(const QUrl &url) {
    GError *error = nullptr;
    const bool ok = g_app_info_launch_default_for_uri(
        url.toString(QUrl::FullyEncoded).toUtf8().constData(), nullptr, &error);
    if (error)
        g_error_free(error);
    return ok;
}

} // namespace

Workspace &Workspace::shared() {
    static GioWorkspace platform;
    return platform;
}

std::optional<QString> GioWorkspace::applicationForIdentifier(const QString &identifier) {
    // Looked up afresh every time (GIO caches its own scan for the life of
    // the process), so an application installed while Tarnel runs is found.
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation,
                                                 identifier + QStringLiteral(".desktop"));
    if (entry.isEmpty())
        return std::nullopt;
    return entry;
}

std::optional<PlatformError> GioWorkspace::open(const QStringList &files,
                                                const QString &application) {
    GDesktopAppInfo *info =
        g_desktop_app_info_new_from_filename(QFile::encodeName(application).constData());
    if (!info)
        return PlatformError{QStringLiteral("GIO"), 0,
                             u"The application entry \u201C" + application +
                                 u"\u201D could not be used: it cannot be read, or the program it "
                                 u"names is missing or cannot be run."};
    GList *list = nullptr;
    for (const QString &f : files)
        list = g_list_append(list, g_file_new_for_path(QFile::encodeName(f).constData()));
    GError *error = nullptr;
    const bool ok = g_app_info_launch(G_APP_INFO(info), list, nullptr, &error);
    g_list_free_full(list, g_object_unref);
    g_object_unref(info);
    if (!ok)
        return fromGError(error, u"The application \u201C" + application +
                                     u"\u201D could not be started.");
    return std::nullopt;
}

void GioWorkspace::reveal(const QString &path) {
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{uri} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 3000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return;
    // No file manager service: open the folder that holds the item.
    launchDefault(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void GioWorkspace::openURL(const QUrl &url) {
    if (url.isValid())
        launchDefault(url);
}
