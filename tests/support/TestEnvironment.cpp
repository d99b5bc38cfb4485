#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <cstdlib>

TestEnvironment::TestEnvironment()
    : m_root(QDir::tempPath() + QStringLiteral("/tarnel-test-XXXXXX")) {
    const QString h = home();
    for (const char *sub : {"Desktop", "Videos", ".config", ".local/share", ".cache", "tmp", "run"})
        QDir().mkpath(h + u'/' + QLatin1String(sub));
    QFile::setPermissions(h + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const auto set = [](const char *name, const QString &value) {
        qputenv(name, QFile::encodeName(value));
    };
    set("HOME", h);
    set("XDG_CONFIG_HOME", h + QStringLiteral("/.config"));
    set("XDG_DATA_HOME", h + QStringLiteral("/.local/share"));
    set("XDG_CACHE_HOME", h + QStringLiteral("/.cache"));
    set("TMPDIR", h + QStringLiteral("/tmp"));
    // No bus at all, unless a test starts its own: the real session and
    // system buses are never reached.
    set("DBUS_SESSION_BUS_ADDRESS", u"unix:path=" + h + u"/no-session-bus");
    set("DBUS_SYSTEM_BUS_ADDRESS", u"unix:path=" + h + u"/no-system-bus");
    set("XDG_RUNTIME_DIR", h + QStringLiteral("/run"));
    // The programs a test starts (tarnel-cli, the stand-in, ffmpeg) speak English
    // whatever the machine's language; a test that wants another sets it itself.
    set("LC_ALL", QStringLiteral("C.UTF-8"));
    qunsetenv("LANGUAGE");
    qunsetenv("XDG_DESKTOP_DIR");
    qunsetenv("XDG_VIDEOS_DIR");
    QLocale::setDefault(QLocale::c());
}

TestEnvironment &TestEnvironment::instance() {
    static TestEnvironment env;
    return env;
}

QString TestEnvironment::home() const {
    return m_root.path();
}

QString TestEnvironment::settingsFile() const {
    return home() + QStringLiteral("/.config/Tarnel/Tarnel.conf");
}

void TestEnvironment::clearSettings() const {
    // Through QSettings, so that its in-process cache forgets the values too.
    QSettings store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
    store.clear();
    store.sync();
}

void TestEnvironment::writeSettingsFile(const QByteArray &content) const {
    QDir().mkpath(home() + QStringLiteral("/.config/Tarnel"));
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    file.close();
    QSettings store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
    store.sync(); // re-reads the file that changed behind the cache
}
