#include "FCPXMLGenerator.h"

#include "model/FileName.h"
#include "model/TranscodeJob.h"
#include "platform/MediumDateFormatter.h"
#include "platform/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <limits>

namespace {

struct Timing {
    qint64 timescale;
    qint64 step;
    QString token; // the rate in the format's name; empty when it has none
};

// The frame duration step/timescale of a record, as Final Cut Pro writes it.
// A measured exact rate gives its own timing (100/2400s at 24, 1001/24000s
// at 23.976, 1000/25000s at 25); a record without one keeps the whole-rate
// table: 24, 30 and 60 as their 1000/1001 rates, 25 and 50 exactly, any
// other rate with the 23.976 timing.
Timing timingFor(const R3DMetadata &m) {
    if (!m.hasExactRate()) {
        const qint64 rate = m.frameRate > 0 ? m.frameRate : 24;
        const QString token = QString::number(rate);
        switch (rate) {
        case 25:
            return {25000, 1000, token};
        case 30:
            return {30000, 1001, token};
        case 50:
            return {50000, 1000, token};
        case 60:
            return {60000, 1001, token};
        default:
            return {24000, 1001, token};
        }
    }
    const qint64 num = m.rateNumerator, den = m.rateDenominator;
    // The rates Final Cut Pro has format names for.
    static const QHash<QString, QString> tokens{
        {QStringLiteral("24000/1001"), QStringLiteral("2398")},
        {QStringLiteral("24/1"), QStringLiteral("24")},
        {QStringLiteral("25/1"), QStringLiteral("25")},
        {QStringLiteral("30000/1001"), QStringLiteral("2997")},
        {QStringLiteral("30/1"), QStringLiteral("30")},
        {QStringLiteral("50/1"), QStringLiteral("50")},
        {QStringLiteral("60000/1001"), QStringLiteral("5994")},
        {QStringLiteral("60/1"), QStringLiteral("60")},
        {QStringLiteral("120000/1001"), QStringLiteral("11988")},
        {QStringLiteral("120/1"), QStringLiteral("120")}};
    const QString token = tokens.value(QString::number(num) + u'/' + QString::number(den));
    if (den == 1001)
        return {num, 1001, token};
    if (den == 1 && (num == 25 || num == 50))
        return {num * 1000, 1000, token};
    return {num * 100, den * 100, token};
}

// `frames` frames of the timing, as a time; lengths beyond any real movie
// are held at the largest that can be written.
QString time(qint64 frames, const Timing &t) {
    if (frames == 0)
        return QStringLiteral("0s");
    qint64 ticks = 0;
    if (__builtin_mul_overflow(frames, t.step, &ticks))
        ticks = std::numeric_limits<qint64>::max() / t.step * t.step;
    return QString::number(ticks) + u'/' + QString::number(t.timescale) + u's';
}

// Final Cut Pro's form "<primaries>-<transfer>-<matrix> (<name>)", the name
// only for the colour spaces it names; Rec. 709 when the movie's tags are
// incomplete.
QString colorSpace(const QString &tags) {
    static const QHash<QString, QString> names{
        {QStringLiteral("1-1-1"), QStringLiteral("Rec. 709")},
        {QStringLiteral("9-1-9"), QStringLiteral("Rec. 2020")},
        {QStringLiteral("9-16-9"), QStringLiteral("Rec. 2020 PQ")},
        {QStringLiteral("9-18-9"), QStringLiteral("Rec. 2020 HLG")},
        {QStringLiteral("6-1-6"), QStringLiteral("Rec. 601 (NTSC)")},
        {QStringLiteral("5-1-6"), QStringLiteral("Rec. 601 (PAL)")}};
    if (tags.isEmpty())
        return QStringLiteral("1-1-1 (Rec. 709)");
    const QString name = names.value(tags);
    return name.isEmpty() ? tags : tags + u" (" + name + u')';
}

// The asset's audio attributes: one source per audio track, the most
// channels of one track, the first track's sample rate. A record that says
// "audio" without tracks (made by hand) keeps one stereo source at 48 kHz.
QString audioAttributes(const R3DMetadata &m) {
    if (!m.hasAudio)
        return {};
    qint64 sources = 1, channels = 2, rate = 48000;
    if (!m.audioTracks.isEmpty()) {
        sources = m.audioTracks.size();
        int most = 0;
        for (const AudioTrack &track : m.audioTracks)
            most = std::max(most, track.channels);
        if (most > 0)
            channels = most;
        if (m.audioTracks.constFirst().sampleRate > 0)
            rate = m.audioTracks.constFirst().sampleRate;
    }
    return u" hasAudio=\"1\" audioSources=\"" + QString::number(sources) + u"\" audioChannels=\"" +
           QString::number(channels) + u"\" audioRate=\"" + QString::number(rate) + u'"';
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
    return generateXML(QList<Clip>{{FileName::baseName(job.sourceURL()), outputURL, metadata}},
                       now);
}

namespace {

// A format element's attributes after its id, as a clip's record needs them.
QString formatAttributes(const R3DMetadata &m) {
    const Timing t = timingFor(m);
    const QString w = QString::number(m.width), h = QString::number(m.height);
    const QString name = t.token.isEmpty()
                             ? QString()
                             : u" name=\"FFVideoFormat" + w + u'x' + h + u'p' + t.token + u'"';
    return name + u" frameDuration=\"" + QString::number(t.step) + u'/' +
           QString::number(t.timescale) + u"s\" width=\"" + w + u"\" height=\"" + h +
           u"\" colorSpace=\"" + colorSpace(m.colorTags) + u'"';
}

// The clip's asset (with id `asset`, of format `format`) to `assets`, and its
// asset-clip in the event to `clipLines`.
void appendClip(const FCPXMLGenerator::Clip &clip, const QString &asset, const QString &format,
                QStringList &assets, QStringList &clipLines) {
    const R3DMetadata &m = clip.metadata;
    const Timing t = timingFor(m);
    const qint64 frames =
        m.frameCount >= 1 ? m.frameCount : std::max<qint64>(1, t.timescale / t.step);
    const QString duration = time(frames, t);
    // A timecoded movie starts at its timecode: the editor places the media
    // there and finds the clip inside it.
    const QString start =
        time(m.hasExactRate() && m.hasTimecode ? std::max<qint64>(0, m.startFrame) : 0, t);
    const QString name = FCPXMLGenerator::xmlEscaped(clip.name);
    assets << u"        <asset id=\"" + asset + u"\" name=\"" + name + u"\" start=\"" + start +
                  u"\" duration=\"" + duration + u"\" hasVideo=\"1\" format=\"" + format +
                  u"\" videoSources=\"1\"" + audioAttributes(m) + u'>';
    assets << u"            <media-rep kind=\"original-media\" src=\"" +
                  FCPXMLGenerator::fileURL(clip.movie.toLocalFile()) + u"\"/>";
    if (!m.reelName.isEmpty()) {
        assets << QStringLiteral("            <metadata>")
               << u"                <md key=\"com.apple.proapps.studio.reel\" value=\"" +
                      FCPXMLGenerator::xmlEscaped(m.reelName) + u"\"/>"
               << QStringLiteral("            </metadata>");
    }
    assets << QStringLiteral("        </asset>");
    clipLines << u"            <asset-clip ref=\"" + asset + u"\" name=\"" + name + u"\" start=\"" +
                     start + u"\" duration=\"" + duration + u"\" format=\"" + format +
                     u"\" tcFormat=\"" + (m.hasTimecode && m.dropFrame ? u"DF" : u"NDF") + u"\"/>";
}

} // namespace

QString FCPXMLGenerator::generateXML(const QList<Clip> &clips, const QDateTime &now) {
    // One format element per distinct format, in the order of first use,
    // then one asset per clip; ids count up from r1 across both.
    QStringList formats; // each format's attributes after its id
    QList<qsizetype> formatOf;
    for (const Clip &clip : clips) {
        const QString format = formatAttributes(clip.metadata);
        qsizetype index = formats.indexOf(format);
        if (index < 0) {
            index = formats.size();
            formats << format;
        }
        formatOf << index;
    }
    const auto formatId = [](qsizetype index) -> QString {
        return u'r' + QString::number(index + 1);
    };

    QStringList lines{
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"),
        QStringLiteral("<!DOCTYPE fcpxml>"),
        QStringLiteral("<fcpxml version=\"1.14\">"),
        QStringLiteral("    <resources>"),
    };
    for (qsizetype i = 0; i < formats.size(); ++i)
        lines << u"        <format id=\"" + formatId(i) + u'"' + formats[i] + u"/>";
    QStringList clipLines;
    for (qsizetype i = 0; i < clips.size(); ++i)
        appendClip(clips[i], formatId(formats.size() + i), formatId(formatOf[i]), lines, clipLines);
    const QString event = xmlEscaped(u"Tarnel Import \u2014 " + MediumDateFormatter::format(now));
    lines << QStringLiteral("    </resources>") << QStringLiteral("    <library>")
          << u"        <event name=\"" + event + u"\">" << clipLines
          << QStringLiteral("        </event>") << QStringLiteral("    </library>")
          << QStringLiteral("</fcpxml>");
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
                   QString::number(PrivateFolder::userId());
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
    if (error)
        return PlatformError::worded(
            error->domain, error->code,
            UserText(
                QT_TRANSLATE_NOOP("UserText", "The Final Cut Pro document could not be saved: %1"),
                {error->description}));
    const QString path = opened->path() + u'/' + documentName(job);

    const auto application =
        m_workspace.applicationForIdentifier(QLatin1String(kFinalCutIdentifier));
    if (!application) {
        // The private folder is emptied at logout: a copy beside the movie
        // travels with it to the machine that has Final Cut Pro.
        const auto beside = saveBesideMovie(job, document.toUtf8());
        return PlatformError::worded(
            QLatin1String(kFinalCutMissingDomain), 1,
            UserText(QT_TRANSLATE_NOOP("UserText", "Final Cut Pro was not found. The document "
                                                   "for “%1” was saved to:\n%2"),
                     {FileName::baseName(job.sourceURL()), beside.value_or(path)}));
    }
    return m_workspace.open({path}, *application);
}

bool FCPXMLGenerator::isFinalCutMissing(const PlatformError &error) {
    return error.domain == QLatin1String(kFinalCutMissingDomain) && error.code == 1;
}

std::optional<QString> FCPXMLGenerator::saveBesideMovie(const TranscodeJob &job,
                                                        const QByteArray &document) {
    const QString movie = job.outputURL().toLocalFile();
    const QString stem = QFileInfo(movie).path() + u'/' + FileName::baseName(movie);
    for (int number = 1; number <= 99; ++number) {
        const QString path =
            stem + (number == 1 ? QString() : u'_' + QString::number(number)) + u".fcpxml";
        QFile file(path);
        // NewOnly creates the file exclusively: an existing file, or a link
        // at the name, is never written through.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
                return std::nullopt; // the folder does not take new files
            QFile existing(path);
            const QFileInfo info(path);
            if (info.isFile() && !info.isSymLink() && info.size() == document.size() &&
                existing.open(QIODevice::ReadOnly) && existing.readAll() == document)
                return path;
            continue;
        }
        const bool written = file.write(document) == document.size() && file.flush();
        file.close();
        if (written && file.error() == QFileDevice::NoError)
            return path;
        file.remove();
        return std::nullopt;
    }
    return std::nullopt;
}

QList<FCPXMLGenerator::Clip> FCPXMLGenerator::convertedClips(const QList<TranscodeJob *> &jobs) {
    QList<Clip> clips;
    for (const TranscodeJob *job : jobs) {
        if (job->hasOutputURL())
            clips.append({FileName::baseName(job->sourceURL()), job->outputURL(),
                          job->metadata().value_or(R3DMetadata::fallback())});
    }
    return clips;
}

std::optional<UserText> FCPXMLGenerator::exportDocument(const QList<TranscodeJob *> &jobs,
                                                        const QString &path) {
    const QList<Clip> clips = convertedClips(jobs);
    if (clips.isEmpty())
        return UserText(
            QT_TRANSLATE_NOOP("UserText", "No clip of the list has been converted yet."));
    QSaveFile file(path);
    const QByteArray document = generateXML(clips).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size() ||
        !file.commit())
        return UserText(QT_TRANSLATE_NOOP("UserText", "Could not write “%1”: %2"),
                        {path, file.errorString()});
    return std::nullopt;
}
