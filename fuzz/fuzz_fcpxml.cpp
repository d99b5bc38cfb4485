// The FCPXML document for any clip name, output path and record: always
// well-formed, its names and media path read back as given, and its
// durations and starts whole multiples of its frame duration.
#include "fcpxml/FCPXMLGenerator.h"
#include "model/FileName.h"
#include "model/TranscodeJob.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 17)
        return 0;
    R3DMetadata m;
    qint32 numbers[4];
    std::memcpy(numbers, data, sizeof numbers);
    m.frameRate = numbers[0];
    m.frameCount = numbers[1];
    m.width = numbers[2];
    m.height = numbers[3];
    const uint8_t flags = data[16];
    m.hasAudio = flags & 1;
    if (flags & 2) { // a measured exact rate, start timecode, reel and tracks
        m.rateNumerator = numbers[0];
        m.rateDenominator = (flags & 4) ? 1001 : (flags & 8) ? numbers[3] : 1;
        m.hasTimecode = flags & 16;
        m.dropFrame = flags & 32;
        m.startFrame = numbers[1] / 3;
        for (int i = 0; i < ((flags >> 6) & 3); ++i)
            m.audioTracks.append({numbers[2] >> (8 * i) & 0xff, numbers[3]});
        m.colorTags = QString::number(numbers[2] & 0xff) + u"-1-" + QString::number(flags);
    }
    const QByteArray rest(reinterpret_cast<const char *>(data) + 17, qsizetype(size) - 17);
    const qsizetype cut = rest.indexOf('\xff');
    QString name = QString::fromUtf8(cut < 0 ? rest : rest.left(cut));
    QString path = QString::fromUtf8(cut < 0 ? QByteArray("out.mov") : rest.mid(cut + 1));
    name.remove(u'/');
    if (name.isEmpty())
        name = QStringLiteral("clip.R3D");
    // A file system path never holds a NUL byte.
    path.remove(QChar(0));
    path = u'/' + path;

    if (flags & 2)
        m.reelName = name; // any text as the reel
    TranscodeJob job(QUrl::fromLocalFile(u"/card/" + name));
    const QUrl output = QUrl::fromLocalFile(path);
    // A fixed date: the document, and so each run, must not depend on the clock.
    static const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC);
    const QString xml = FCPXMLGenerator::generateXML(job, output, m, now);

    QXmlStreamReader reader(xml);
    QString assetName, clipName, src, frameDuration;
    QStringList times;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = reader.attributes();
        if (reader.name() == u"format")
            frameDuration = a.value(QStringLiteral("frameDuration")).toString();
        for (const char *key : {"start", "duration"}) {
            if (a.hasAttribute(QLatin1String(key)))
                times << a.value(QLatin1String(key)).toString();
        }
        if (reader.name() == u"asset")
            assetName = reader.attributes().value(QStringLiteral("name")).toString();
        else if (reader.name() == u"asset-clip")
            clipName = reader.attributes().value(QStringLiteral("name")).toString();
        else if (reader.name() == u"media-rep")
            src = reader.attributes().value(QStringLiteral("src")).toString();
    }
    if (reader.hasError())
        std::abort(); // not well-formed
    // Every time is "0s" or a whole number of frames: the same timescale as
    // the frame duration, a multiple of its step.
    static const QRegularExpression fraction(QStringLiteral("^(\\d+)/(\\d+)s$"));
    const auto fd = fraction.match(frameDuration);
    if (!fd.hasMatch() || fd.captured(1).toLongLong() <= 0)
        std::abort();
    for (const QString &t : std::as_const(times)) {
        const auto m = fraction.match(t);
        if (t != u"0s" && (!m.hasMatch() || m.captured(2) != fd.captured(2) ||
                           m.captured(1).toLongLong() % fd.captured(1).toLongLong() != 0))
            std::abort();
    }
    const QString expected = FileName::baseName(job.sourceURL());
    if (assetName != clipName)
        std::abort();
    // Characters that XML cannot carry at all are replaced; everything else
    // reads back exactly.
    if (assetName.size() != expected.size())
        std::abort();
    // The media URL is a valid URI (path characters and percent-encoded
    // bytes only) whose path decodes to exactly the bytes of the movie's path
    // as the job holds it.
    static const QRegularExpression uri(
        QStringLiteral("^file://(/|%[0-9A-Fa-f]{2}|[A-Za-z0-9._~!$&'()*+,;=:@-])*$"));
    if (!uri.match(src).hasMatch() || QByteArray::fromPercentEncoding(src.mid(7).toLatin1()) !=
                                          QFile::encodeName(output.toLocalFile()))
        std::abort();
    return 0;
}
