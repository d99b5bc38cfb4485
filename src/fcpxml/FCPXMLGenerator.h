#pragma once

#include "model/R3DMetadata.h"
#include "model/UserText.h"
#include "platform/PlatformError.h"
#include "platform/PrivateFolder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <variant>

class TranscodeJob;
class Workspace;

// Describes a converted clip to Final Cut Pro: builds its FCPXML 1.14
// document and opens that document with the application, found and asked
// through the given workspace. Belongs to the main thread.
class FCPXMLGenerator {
public:
    explicit FCPXMLGenerator(Workspace &workspace) : m_workspace(workspace) {}

    static constexpr auto kFinalCutIdentifier = "com.apple.FinalCut";
    // The error domain of "Final Cut Pro is not installed".
    static constexpr auto kFinalCutMissingDomain = "Tarnel.FinalCut";

    // One clip of a document: its name, its movie and what was measured.
    struct Clip {
        QString name;
        QUrl movie;
        R3DMetadata metadata;
    };

    // The document of one clip, byte for byte, dated `now` (the current
    // time by default).
    static QString generateXML(const TranscodeJob &job, const QUrl &outputURL,
                               const R3DMetadata &metadata,
                               const QDateTime &now = QDateTime::currentDateTime());
    // The document of several clips: one format per distinct format, one
    // asset per clip, one event holding every clip, in the given order.
    static QString generateXML(const QList<Clip> &clips,
                               const QDateTime &now = QDateTime::currentDateTime());

    // The converted jobs among `jobs` (those with a movie) as clips, each
    // with its record or the fallback record.
    static QList<Clip> convertedClips(const QList<TranscodeJob *> &jobs);
    // Writes one document for every converted job of `jobs` to `path`,
    // replacing the file there in one step. Fails when no job has a movie or
    // the file cannot be written; the error is for the user and the log.
    static std::optional<UserText> exportDocument(const QList<TranscodeJob *> &jobs,
                                                  const QString &path);

    // True for the error of a hand-off that could not happen because Final
    // Cut Pro is not on this machine (the document was written).
    static bool isFinalCutMissing(const PlatformError &error);

    // Saves a document beside the job's movie as "<movie name>.fcpxml",
    // or "<movie name>_2.fcpxml" and so on: never over an existing file
    // (one that already holds this very document is reused). The path
    // written, or none when the folder cannot take it.
    static std::optional<QString> saveBesideMovie(const TranscodeJob &job,
                                                  const QByteArray &document);

    // Replaces & < > and the double quote with entities, & first; characters
    // an XML document cannot carry as they are are made safe too.
    static QString xmlEscaped(const QString &text);

    // "file://" and the absolute path's bytes, each byte other than an
    // unreserved character or "/" percent-encoded: the media URL of a movie,
    // which decodes to exactly the path's bytes.
    static QString fileURL(const QString &path);

    // The document's file name: the clip's base name and "_tarnel.fcpxml".
    static QString documentName(const TranscodeJob &job);
    // Where the document for a job is written: documentName() in
    // documentFolder().
    static QString documentPath(const TranscodeJob &job);

    // The folders tried for documents, in order: "tarnel" in the session's
    // runtime folder (XDG_RUNTIME_DIR), then "tarnel-<uid>" in the temporary
    // folder (TMPDIR when it names a folder, else /tmp).
    static QStringList documentFolderCandidates();
    // The first candidate that is a private folder of this user (created when
    // missing). When another user has taken every name, a folder with a
    // random name made by this process, kept for its life.
    static std::variant<PrivateFolder, PlatformError> documentFolder();

    // Writes the job's document atomically to the document folder and asks
    // Final Cut Pro to open it, without waiting. Does nothing for a job
    // without a movie. Fails when the document cannot be written (nothing is
    // opened), when Final Cut Pro is not installed (the document stays, a
    // copy is saved beside the movie, and the error says where; see
    // isFinalCutMissing()) or when it cannot be started.
    std::optional<PlatformError> sendToFCP(const TranscodeJob &job,
                                           const std::optional<R3DMetadata> &metadata);

private:
    Workspace &m_workspace;
};
