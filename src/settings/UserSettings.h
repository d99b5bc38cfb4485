#pragma once

#include "model/ProResPreset.h"

#include <QObject>
#include <QSettings>
#include <QUrl>

// The user's persistent choices, kept in the platform's settings store
// (organisation and application "Tarnel") and written through at once.
// One object exists per process; it lives on the main thread.
//
// A change that cannot be saved (the settings folder unwritable, a full
// disk) still takes effect: it is kept in memory, tried again with every
// later change, and saveError() says what happened (once in the debug log,
// and for as long as it lasts to the windows).
//
// Observable: every change is announced by the property's own signal once
// the value is stored.
class UserSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUrl outputDirectoryURL READ outputDirectoryURL NOTIFY outputDirectoryURLChanged)
    Q_PROPERTY(
        bool autoSendToFCP READ autoSendToFCP WRITE setAutoSendToFCP NOTIFY autoSendToFCPChanged)
    Q_PROPERTY(bool playCompletionSound READ playCompletionSound WRITE setPlayCompletionSound NOTIFY
                   playCompletionSoundChanged)
    Q_PROPERTY(bool nameMoviesLikeClips READ nameMoviesLikeClips WRITE setNameMoviesLikeClips NOTIFY
                   nameMoviesLikeClipsChanged)

public:
    static constexpr auto kSelectedPresetKey = "selectedPreset";
    static constexpr auto kRedlinePathKey = "redlinePath";
    static constexpr auto kOutputDirectoryPathKey = "outputDirectoryPath";
    static constexpr auto kAutoSendToFCPKey = "autoSendToFCP";
    static constexpr auto kPlayCompletionSoundKey = "playCompletionSound";
    static constexpr auto kNameMoviesLikeClipsKey = "nameMoviesLikeClips";

    static QString defaultRedlinePath();

    // Restores the stored output folder, or creates and stores the default.
    explicit UserSettings(QObject *parent = nullptr);
    // Settings with values that hold for this object only (a command-line
    // run), keyed like the store: they are read before the store, and a
    // setter of an overridden key changes the session value and writes
    // nothing. Construction writes nothing either: an "outputDirectoryPath"
    // given here is used as it is; else the stored folder when it is an
    // absolute path to a folder; else, when a folder is stored that is not
    // one, none (outputDirectoryProblem() says why); else the default folder,
    // created but not stored.
    explicit UserSettings(const QVariantHash &sessionValues, QObject *parent = nullptr);

    ProResPreset selectedPreset() const;
    void setSelectedPreset(ProResPreset preset);

    QString redlinePath() const;
    void setRedlinePath(const QString &path);

    // Empty when no folder is set.
    QUrl outputDirectoryURL() const { return m_outputDirectoryURL; }
    QString outputDirectoryPath() const { return m_outputDirectoryURL.toLocalFile(); }

    bool autoSendToFCP() const;
    void setAutoSendToFCP(bool on);
    bool playCompletionSound() const;
    void setPlayCompletionSound(bool on);
    // Movies named exactly like their clips (A001_C002_0101AB.mov), without
    // "_tarnel", so editors relink proxies by name. Off by default.
    bool nameMoviesLikeClips() const;
    void setNameMoviesLikeClips(bool on);

    bool isUsingDefaultOutputDirectory() const;
    // Why the stored output folder cannot be used, naming it; empty when it
    // can (or when none is stored).
    QString outputDirectoryProblem() const;

    // Empty while every change is saved; otherwise a sentence for the user
    // saying that changes could not be saved and hold only until Tarnel quits.
    QString saveError() const { return m_saveError; }

    // The platform's Movies folder (the XDG videos folder on Linux), or
    // "Movies" in the home folder, followed by "Tarnel". Not created.
    static QUrl defaultOutputDirectory();
    // Keeps the stored folder when it is an absolute path to an existing
    // folder; otherwise falls back to the default folder, creating and
    // storing it.
    void restoreOutputDirectory();
    void setOutputDirectory(const QUrl &folder);
    // Creates the folder and its missing parents; failures are ignored.
    static void ensureDirectoryExists(const QUrl &folder);

Q_SIGNALS:
    void outputDirectoryURLChanged();
    void autoSendToFCPChanged();
    void playCompletionSoundChanged();
    void nameMoviesLikeClipsChanged();
    void selectedPresetChanged();
    void redlinePathChanged();
    void saveErrorChanged();

private:
    void store(const char *key, const QVariant &value);
    // The value in effect: a value of this session, else an unsaved change,
    // else the stored value.
    QVariant stored(const char *key) const;
    void setSaveError(const QString &message);
    void publishOutputDirectory(const QUrl &folder);

    mutable QSettings m_store;
    QVariantHash m_unsaved; // changes not yet saved, by key
    QString m_saveError;
    QUrl m_outputDirectoryURL;
    QVariantHash m_session;
    bool m_readOnly = false; // a session: construction stores nothing
};
