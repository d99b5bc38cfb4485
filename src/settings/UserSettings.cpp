#include "UserSettings.h"

#include "model/FileName.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

namespace {

// The value under a key when it is a boolean. The settings file stores
// booleans as the words "true" and "false"; anything else is not a boolean.
std::optional<bool> storedBoolean(const QVariant &value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == u"true")
            return true;
        if (text == u"false")
            return false;
    }
    return std::nullopt;
}

QUrl folderURL(const QString &path) {
    QString p = path;
    if (!p.endsWith(u'/'))
        p += u'/';
    return QUrl::fromLocalFile(p);
}

} // namespace

QString UserSettings::defaultRedlinePath() {
    return QStringLiteral(
        "/Applications/REDCINE-X Professional/REDCINE-X PRO.app/Contents/MacOS/REDline");
}

UserSettings::UserSettings(QObject *parent)
    : QObject(parent), m_store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel")) {
    restoreOutputDirectory();
}

UserSettings::UserSettings(const QVariantHash &sessionValues, QObject *parent)
    : QObject(parent), m_store(QStringLiteral("Tarnel"), QStringLiteral("Tarnel")),
      m_session(sessionValues) {
    restoreOutputDirectory();
}

QVariant UserSettings::read(const char *key) const {
    const auto session = m_session.constFind(QLatin1String(key));
    return session != m_session.cend() ? *session : m_store.value(QLatin1String(key));
}

void UserSettings::store(const char *key, const QVariant &value) {
    if (const auto session = m_session.find(QLatin1String(key)); session != m_session.end()) {
        *session = value;
        return;
    }
    m_store.setValue(QLatin1String(key), value);
    m_store.sync();
}

ProResPreset UserSettings::selectedPreset() const {
    const QVariant value = read(kSelectedPresetKey);
    if (value.typeId() != QMetaType::QString)
        return ProResPresets::defaultPreset();
    return ProResPresets::fromRawValue(value.toString()).value_or(ProResPresets::defaultPreset());
}

void UserSettings::setSelectedPreset(ProResPreset preset) {
    Q_EMIT willChange();
    store(kSelectedPresetKey, ProResPresets::rawValue(preset));
    Q_EMIT selectedPresetChanged();
}

QString UserSettings::redlinePath() const {
    const QVariant value = read(kRedlinePathKey);
    return value.typeId() == QMetaType::QString ? value.toString() : defaultRedlinePath();
}

void UserSettings::setRedlinePath(const QString &path) {
    Q_EMIT willChange();
    store(kRedlinePathKey, path);
    Q_EMIT redlinePathChanged();
}

bool UserSettings::autoSendToFCP() const {
    return storedBoolean(read(kAutoSendToFCPKey)).value_or(false);
}

void UserSettings::setAutoSendToFCP(bool on) {
    Q_EMIT willChange();
    store(kAutoSendToFCPKey, on);
    Q_EMIT autoSendToFCPChanged();
}

bool UserSettings::playCompletionSound() const {
    return storedBoolean(read(kPlayCompletionSoundKey)).value_or(true);
}

void UserSettings::setPlayCompletionSound(bool on) {
    Q_EMIT willChange();
    store(kPlayCompletionSoundKey, on);
    Q_EMIT playCompletionSoundChanged();
}

bool UserSettings::isUsingDefaultOutputDirectory() const {
    if (m_outputDirectoryURL.isEmpty())
        return false;
    return QDir::cleanPath(m_outputDirectoryURL.toLocalFile()) ==
           QDir::cleanPath(defaultOutputDirectory().toLocalFile());
}

QUrl UserSettings::defaultOutputDirectory() {
    const QStringList movies = QStandardPaths::standardLocations(QStandardPaths::MoviesLocation);
    const QString base =
        movies.isEmpty() ? QDir::homePath() + QStringLiteral("/Movies") : movies.first();
    return folderURL(base + QStringLiteral("/Tarnel"));
}

void UserSettings::restoreOutputDirectory() {
    const QVariant value = read(kOutputDirectoryPathKey);
    const QString path = value.typeId() == QMetaType::QString ? value.toString() : QString();
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        if (info.exists() && info.isDir()) {
            publishOutputDirectory(folderURL(path));
            return;
        }
    }
    const QUrl fallback = defaultOutputDirectory();
    ensureDirectoryExists(fallback);
    store(kOutputDirectoryPathKey, FileName::folderPath(fallback));
    publishOutputDirectory(fallback);
}

void UserSettings::setOutputDirectory(const QUrl &folder) {
    if (folder.isEmpty()) {
        // No folder at all: nothing to create, and conversions will refuse to start.
        store(kOutputDirectoryPathKey, QString());
        publishOutputDirectory(QUrl());
        return;
    }
    ensureDirectoryExists(folder);
    store(kOutputDirectoryPathKey, FileName::folderPath(folder));
    publishOutputDirectory(folderURL(FileName::folderPath(folder)));
}

void UserSettings::publishOutputDirectory(const QUrl &folder) {
    Q_EMIT willChange();
    m_outputDirectoryURL = folder;
    Q_EMIT outputDirectoryURLChanged();
}

void UserSettings::ensureDirectoryExists(const QUrl &folder) {
    const QString path = folder.toLocalFile();
    if (!path.isEmpty())
        QDir().mkpath(path);
}
