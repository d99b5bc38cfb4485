#pragma once

#include "model/R3DMetadata.h"
#include "platform/PlatformError.h"
#include "platform/PrivateFolder.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>
#include <variant>

class TranscodeJob;

// Describes a converted clip to Final Cut Pro: builds its FCPXML 1.14
// document and opens that document with the application. Belongs to the
// main thread.
class FCPXMLGenerator {
public:
    static constexpr auto kFinalCutIdentifier = "com.apple.FinalCut";

    // The document, byte for byte, dated `now` (the current time by default).
    static QString generateXML(const TranscodeJob &job, const QUrl &outputURL,
                               const R3DMetadata &metadata,
                               const QDateTime &now = QDateTime::currentDateTime());

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
    // opened), when Final Cut Pro is not installed (the document stays and
    // the error says where) or when it cannot be started.
    std::optional<PlatformError> sendToFCP(const TranscodeJob &job,
                                           const std::optional<R3DMetadata> &metadata);
};
