// The FCPXML document for any clip name, output path and record: always
// well-formed, and its names and media path read back as given.
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
    m.hasAudio = data[16] & 1;
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

    TranscodeJob job(QUrl::fromLocalFile(u"/card/" + name));
    const QUrl output = QUrl::fromLocalFile(path);
    // A fixed date: the document, and so each run, must not depend on the clock.
    static const QDateTime now(QDate(2026, 12, 5), QTime(12, 0), Qt::UTC);
    const QString xml = FCPXMLGenerator::generateXML(job, output, m, now);

    QXmlStreamReader reader(xml);
    QString assetName, clipName, src;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == u"asset")
            assetName = reader.attributes().value(QStringLiteral("name")).toString();
        else if (reader.name() == u"asset-clip")
            clipName = reader.attributes().value(QStringLiteral("name")).toString();
        else if (reader.name() == u"media-rep")
            src = reader.attributes().value(QStringLiteral("src")).toString();
    }
    if (reader.hasError())
        std::abort(); // not well-formed
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
