#pragma once

#include "model/R3DMetadata.h"
#include "platform/PlatformError.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>

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

    // Where the document for a job is written: the temporary folder, the
    // clip's base name and "_tarnel.fcpxml".
    static QString documentPath(const TranscodeJob &job);

    // Writes the job's document atomically to the temporary folder and asks
    // Final Cut Pro to open it, without waiting. Does nothing for a job
    // without a movie. Fails when the document cannot be written (nothing is
    // opened), when Final Cut Pro is not installed (the document stays and
    // the error says where) or when it cannot be started.
    std::optional<PlatformError> sendToFCP(const TranscodeJob &job,
                                           const std::optional<R3DMetadata> &metadata);
};
