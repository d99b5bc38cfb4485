#include "FCPXMLGenerator.h"

#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/MediumDateFormatter.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

struct Timing {
    qint64 timescale;
    qint64 step;
};

// Whole rates 24, 30 and 60 are written as their 1000/1001 rates, 25 and 50
// exactly; any other rate gets the 23.976 timing.
Timing timingFor(qint64 rate) {
    switch (rate) {
    case 25:
        return {25000, 1000};
    case 30:
        return {30000, 1001};
    case 50:
        return {50000, 1000};
    case 60:
        return {60000, 1001};
    default:
        return {24000, 1001};
    }
}

} // namespace

QString FCPXMLGenerator::fileURL(const QString &path) {
    // The path's bytes as the file system holds them. Every byte outside the
    // unreserved characters and "/" is percent-encoded, so "[", "]", "%",
    // "#", a leading "//" and characters such as noncharacters all read back
    // to exactly this path, and the text never needs XML escaping.
    const QByteArray bytes = QFile::encodeName(path);
    QString url = QStringLiteral("file://");
    url.reserve(url.size() + bytes.size() * 3);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool unreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                                (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                                b == '~' || b == '/';
        if (unreserved) {
            url += QLatin1Char(char(b));
        } else {
            url += u'%';
            url += QLatin1Char(kHex[b >> 4]);
            url += QLatin1Char(kHex[b & 0xF]);
        }
    }
    return url;
}

QString FCPXMLGenerator::xmlEscaped(const QString &text) {
    QString out = text;
    out.replace(u'&', QStringLiteral("&amp;"));
    out.replace(u'<', QStringLiteral("&lt;"));
    out.replace(u'>', QStringLiteral("&gt;"));
    out.replace(u'"', QStringLiteral("&quot;"));

    // File names may hold characters that an XML document cannot carry as
    // they are. Tab, line feed and carriage return are written as character
    // references, so attribute normalisation keeps them; the other control
    // characters, lone surrogates and U+FFFE/U+FFFF cannot appear in XML at
    // all and become U+FFFD. Names without such characters are unchanged.
    QString safe;
    safe.reserve(out.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate()) {
            safe += c;
            safe += out[++i];
        } else if (c == u'\t' || c == u'\n' || c == u'\r') {
            safe += u"&#" + QString::number(c.unicode()) + u';';
        } else if (c.unicode() < 0x20 || c.isSurrogate() || c.unicode() == 0xFFFE ||
                   c.unicode() == 0xFFFF) {
            safe += QChar(QChar::ReplacementCharacter);
        } else {
            safe += c;
        }
    }
    return safe;
}

QString FCPXMLGenerator::generateXML(const TranscodeJob &job, const QUrl &outputURL,
                                     const R3DMetadata &metadata, const QDateTime &now) {
    const qint64 rate = metadata.frameRate > 0 ? metadata.frameRate : 24;
    const Timing t = timingFor(rate);
    const qint64 frames = metadata.frameCount >= 1 ? metadata.frameCount : t.timescale / t.step;
    const QString w = QString::number(metadata.width);
    const QString h = QString::number(metadata.height);
    const QString frameDuration =
        QString::number(t.step) + u'/' + QString::number(t.timescale) + u's';
    const QString duration =
        QString::number(frames * t.step) + u'/' + QString::number(t.timescale) + u's';
    const QString name = xmlEscaped(FileName::baseName(job.sourceURL()));
    const QString event = xmlEscaped(u"Tarnel Import \u2014 " + MediumDateFormatter::format(now));
    const QString src = fileURL(outputURL.toLocalFile());
    const QString audio =
        metadata.hasAudio
            ? QStringLiteral(
                  " hasAudio=\"1\" audioSources=\"1\" audioChannels=\"2\" audioRate=\"48000\"")
            : QString();

    const QStringList lines{
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE fcpxml>"),
        QStringLiteral("<fcpxml version=\"1.14\">"),
        QStringLiteral("    <resources>"),
        u"        <format id=\"r1\" name=\"FFVideoFormat" + w + u'x' + h + u'p' +
            QString::number(rate) + u"\" frameDuration=\"" + frameDuration + u"\" width=\"" + w +
            u"\" height=\"" + h + u"\" colorSpace=\"1-1-1 (Rec. 709)\"/>",
        u"        <asset id=\"r2\" name=\"" + name + u"\" start=\"0s\" duration=\"" + duration +
            u"\" hasVideo=\"1\" format=\"r1\" videoSources=\"1\"" + audio + u'>',
        u"            <media-rep kind=\"original-media\" src=\"" + src + u"\"/>",
        QStringLiteral("        </asset>"),
        QStringLiteral("    </resources>"),
        QStringLiteral("    <library>"),
        u"        <event name=\"" + event + u"\">",
        u"            <asset-clip ref=\"r2\" name=\"" + name + u"\" start=\"0s\" duration=\"" +
            duration + u"\" format=\"r1\" tcFormat=\"NDF\"/>",
        QStringLiteral("        </event>"),
        QStringLiteral("    </library>"),
        QStringLiteral("</fcpxml>"),
    };
    return lines.join(u'\n');
}

QString FCPXMLGenerator::documentName(const TranscodeJob &job) {
    return FileName::baseName(job.sourceURL()) + QStringLiteral("_tarnel.fcpxml");
}

QStringList FCPXMLGenerator::documentFolderCandidates() {
    QStringList folders;
    // The session's runtime folder is already private to the user.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        folders << QDir::cleanPath(runtime) + QStringLiteral("/tarnel");
    // The temporary folder is shared with every user: only a folder of our
    // own in it will do. A TMPDIR naming no folder, or one where others
    // could replace our folder (writable by them and not sticky), falls back
    // to /tmp.
    QString temporary = qEnvironmentVariable("TMPDIR");
    if (!QDir::isAbsolutePath(temporary) || !QFileInfo(temporary).isDir() ||
        !PrivateFolder::parentProblem(temporary).isEmpty())
        temporary = QStringLiteral("/tmp");
    folders << QDir::cleanPath(temporary) + QStringLiteral("/tarnel-") +
                   QString::number(::geteuid());
    return folders;
}

std::variant<PrivateFolder, PlatformError> FCPXMLGenerator::documentFolder() {
    QStringList candidates = documentFolderCandidates();
    const QString inTemporary = candidates.constLast();
    // When someone else has taken the predictable names, a folder with a
    // random name that this process made itself (main thread only).
    static QString unique;
    if (!unique.isEmpty())
        candidates << unique;
    std::optional<PlatformError> firstError;
    for (const QString &candidate : std::as_const(candidates)) {
        auto folder = PrivateFolder::open(candidate);
        if (std::holds_alternative<PrivateFolder>(folder))
            return folder;
        if (!firstError)
            firstError = std::get<PlatformError>(folder);
    }
    auto fresh = PrivateFolder::createUnique(inTemporary + u'-');
    if (const auto *made = std::get_if<PrivateFolder>(&fresh)) {
        unique = made->path();
        return fresh;
    }
    return *firstError;
}

QString FCPXMLGenerator::documentPath(const TranscodeJob &job) {
    const auto folder = documentFolder();
    const QString path = std::holds_alternative<PrivateFolder>(folder)
                             ? std::get<PrivateFolder>(folder).path()
                             : documentFolderCandidates().constFirst();
    return path + u'/' + documentName(job);
}

std::optional<PlatformError>
FCPXMLGenerator::sendToFCP(const TranscodeJob &job, const std::optional<R3DMetadata> &metadata) {
    if (!job.hasOutputURL())
        return std::nullopt;
    const QString document =
        generateXML(job, job.outputURL(), metadata.value_or(R3DMetadata::fallback()));

    const auto folder = documentFolder();
    const auto *opened = std::get_if<PrivateFolder>(&folder);
    std::optional<PlatformError> error =
        opened ? opened->writeFile(documentName(job), document.toUtf8())
               : std::get<PlatformError>(folder);
    if (error) {
        error->description =
            u"The Final Cut Pro document could not be saved: " + error->description;
        return error;
    }
    const QString path = opened->path() + u'/' + documentName(job);

    Workspace &workspace = Workspace::shared();
    const auto application = workspace.applicationForIdentifier(QLatin1String(kFinalCutIdentifier));
    if (!application) {
        return PlatformError{QStringLiteral("Tarnel.FinalCut"), 1,
                             u"Final Cut Pro was not found. The document for \u201C" +
                                 FileName::baseName(job.sourceURL()) + u"\u201D was saved to:\n" +
                                 path};
    }
    return workspace.open({path}, *application);
}
