#include "UserSettings.h"

#include "model/DebugText.h"
#include "model/FileName.h"
#include "platform/DebugLog.h"
#include "platform/StaleLock.h"

#include <QDir>
#include <QFile>
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
      m_session(sessionValues), m_readOnly(true) {
    restoreOutputDirectory();
}

void UserSettings::store(const char *key, const QVariant &value) {
    // A value of this session only: kept in memory, never written.
    if (const auto session = m_session.find(QLatin1String(key)); session != m_session.end()) {
        *session = value;
        return;
    }
    m_unsaved.insert(QLatin1String(key), value);
    // QSettings guards its file with "<file>.lock" and waits for a lock it
    // cannot take until it is 30 s old; one left empty by a crash would
    // freeze the window that long. A lock that no live process holds (no
    // native lock on it) is stale whatever its age: remove it first.
    const QString lock = m_store.fileName() + QStringLiteral(".lock");
    if (!StaleLock::clear(lock)) {
        // Something that cannot be a lock stays in the way: trying to save
        // would wait for it forever.
        setSaveError(QT_TR_NOOP("Settings could not be saved to “%1” (“%2” is in the way). "
                                "Changes hold only until Tarnel quits."),
                     m_store.fileName(), lock);
        return;
    }
    // A new QSettings object for each write, because one keeps the first
    // error it met for good; it shares its cache with m_store. Every change
    // that was not saved yet goes along.
    QSettings writer(QStringLiteral("Tarnel"), QStringLiteral("Tarnel"));
    for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it)
        writer.setValue(it.key(), it.value());
    writer.sync();
    if (writer.status() == QSettings::NoError) {
        m_unsaved.clear();
        setSaveError(nullptr);
        return;
    }
    setSaveError(
        QT_TR_NOOP("Settings could not be saved to “%1”. Changes hold only until Tarnel quits."),
        writer.fileName());
}

QVariant UserSettings::stored(const char *key) const {
    const QString name = QLatin1String(key);
    if (const auto session = m_session.constFind(name); session != m_session.cend())
        return *session;
    const auto unsaved = m_unsaved.constFind(name);
    return unsaved != m_unsaved.cend() ? *unsaved : m_store.value(name);
}

void UserSettings::setSaveError(const char *text, const QString &file, const QString &lock) {
    const auto filled = [&](const QString &pattern) {
        return lock.isEmpty() ? pattern.arg(file) : pattern.arg(file, lock);
    };
    const QString message = text ? filled(QString::fromUtf8(text)) : QString();
    if (message == m_loggedSaveError)
        return;
    if (!message.isEmpty())
        DebugLog().append(u"settings: " + DebugText::printable(message));
    else
        DebugLog().append(QStringLiteral("settings: saved again"));
    m_loggedSaveError = message;
    m_saveError = text ? filled(tr(text)) : QString();
    Q_EMIT saveErrorChanged();
}

ProResPreset UserSettings::selectedPreset() const {
    const QVariant value = stored(kSelectedPresetKey);
    if (value.typeId() != QMetaType::QString)
        return ProResPresets::defaultPreset();
    return ProResPresets::fromRawValue(value.toString()).value_or(ProResPresets::defaultPreset());
}

void UserSettings::setSelectedPreset(ProResPreset preset) {
    store(kSelectedPresetKey, ProResPresets::rawValue(preset));
    Q_EMIT selectedPresetChanged();
}

QString UserSettings::redlinePath() const {
    const QVariant value = stored(kRedlinePathKey);
    return value.typeId() == QMetaType::QString ? value.toString() : defaultRedlinePath();
}

void UserSettings::setRedlinePath(const QString &path) {
    store(kRedlinePathKey, path);
    Q_EMIT redlinePathChanged();
}

bool UserSettings::autoSendToFCP() const {
    return storedBoolean(stored(kAutoSendToFCPKey)).value_or(false);
}

void UserSettings::setAutoSendToFCP(bool on) {
    store(kAutoSendToFCPKey, on);
    Q_EMIT autoSendToFCPChanged();
}

bool UserSettings::playCompletionSound() const {
    return storedBoolean(stored(kPlayCompletionSoundKey)).value_or(true);
}

void UserSettings::setPlayCompletionSound(bool on) {
    store(kPlayCompletionSoundKey, on);
    Q_EMIT playCompletionSoundChanged();
}

bool UserSettings::nameMoviesLikeClips() const {
    return storedBoolean(stored(kNameMoviesLikeClipsKey)).value_or(false);
}

void UserSettings::setNameMoviesLikeClips(bool on) {
    store(kNameMoviesLikeClipsKey, on);
    Q_EMIT nameMoviesLikeClipsChanged();
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

QString UserSettings::outputDirectoryProblem() const {
    const QVariant value = stored(kOutputDirectoryPathKey);
    const QString path = value.typeId() == QMetaType::QString ? value.toString() : QString();
    if (path.isEmpty())
        return {};
    // A relative path would depend on the folder Tarnel was started in.
    if (!QDir::isAbsolutePath(path))
        return tr("the output folder “%1” is not an absolute path").arg(path);
    const QFileInfo info(path);
    if (!info.exists())
        return tr("the output folder “%1” does not exist (is its volume mounted?)").arg(path);
    if (!info.isDir())
        return tr("the output folder “%1” is not a folder").arg(path);
    return {};
}

void UserSettings::restoreOutputDirectory() {
    const QVariant value = stored(kOutputDirectoryPathKey);
    const QString path = value.typeId() == QMetaType::QString ? value.toString() : QString();
    if (!path.isEmpty() && outputDirectoryProblem().isEmpty()) {
        publishOutputDirectory(folderURL(path));
        return;
    }
    // A session never replaces a stored folder that it cannot use: it runs
    // without one, and says why.
    if (m_readOnly && !path.isEmpty()) {
        publishOutputDirectory(QUrl());
        return;
    }
    const QUrl fallback = defaultOutputDirectory();
    ensureDirectoryExists(fallback);
    if (!m_readOnly)
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
    m_outputDirectoryURL = folder;
    Q_EMIT outputDirectoryURLChanged();
}

void UserSettings::ensureDirectoryExists(const QUrl &folder) {
    const QString path = folder.toLocalFile();
    if (!path.isEmpty())
        QDir().mkpath(path);
}
