#include "ClipCollector.h"

#include "model/FileName.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <dirent.h>

#include <algorithm>

namespace {

bool hasR3DExtension(const QString &path) {
    return FileName::pathExtension(path).toUpper() == u"R3D";
}

// A name shaped like a piece of a spanned clip, "<clip>_NNN.R3D": its clip
// part (empty when the name has not that shape) and its number.
struct PieceName {
    QString clip;
    int number = 0;
};

PieceName parsePiece(const QString &name) {
    const QString base = FileName::baseName(name);
    const qsizetype n = base.size();
    // At least one character of clip part, "_" and three digits.
    if (n < 5 || base[n - 4] != u'_')
        return {};
    int number = 0;
    for (qsizetype i = n - 3; i < n; ++i) {
        const char16_t c = base[i].unicode();
        if (c < u'0' || c > u'9')
            return {};
        number = number * 10 + (c - u'0');
    }
    return {base.left(n - 4), number};
}

} // namespace

qint64 FoundClip::piecesBytes() const {
    qint64 total = 0;
    for (const QString &piece : pieces)
        total += QFileInfo(piece).size();
    return total;
}

bool ClipCollector::isR3D(const QUrl &url) {
    return hasR3DExtension(url.path());
}

QString ClipCollector::pathText(const QUrl &url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

QList<FoundClip> ClipCollector::collect(const QUrl &url) {
    const QString path = pathText(url);
    if (FileName::denotesFolder(url)) {
        const Listing &l = listing(path);
        for (const QString &name : l.unreadable)
            m_unreadable.append(path + name);
        QList<FoundClip> found;
        found.reserve(l.names.size());
        for (qsizetype e = 0; e < l.names.size(); ++e) {
            const qsizetype span = l.spanOf[e];
            if (span < 0)
                found.append({QUrl::fromLocalFile(path + l.names[e])});
            else if (l.spans[span].first == e)
                found.append(spanned(path, l, span));
        }
        return found;
    }

    if (!isR3D(url))
        return {};
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    if (slash < 0 || parsePiece(name).clip.isEmpty())
        return {{url}};
    const QString folder = path.left(slash + 1);
    const Listing &l = listing(folder);
    const qsizetype entry = l.pieceEntry.value(name, -1);
    if (entry < 0)
        return {{url}}; // no siblings (or no such file): an ordinary clip
    FoundClip clip = spanned(folder, l, l.spanOf[entry]);
    const QString first = pathText(clip.url);
    if (m_droppedSpans.contains(first))
        return {};
    m_droppedSpans.insert(first);
    return {std::move(clip)};
}

const ClipCollector::Listing &ClipCollector::listing(const QString &folder) {
    if (const auto cached = m_listings.constFind(folder); cached != m_listings.cend())
        return *cached;

    // One level deep, hidden entries included, in the file system's order. A
    // folder that cannot be listed contributes nothing. The names come as
    // bytes, so that one that is not UTF-8 is seen rather than skipped.
    Listing l;
    QList<Span> groups; // every clip part seen in a piece name
    QHash<QString, qsizetype> groupOfClip;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    while (const dirent *item = dir ? ::readdir(dir) : nullptr) {
        const QByteArrayView bytes(item->d_name);
        if (bytes == "." || bytes == "..")
            continue;
        // A leading U+FEFF is part of the name, not a byte-order mark.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString name = utf8(bytes);
        if (!hasR3DExtension(name))
            continue;
        if (utf8.hasError()) {
            l.unreadable.append(std::move(name));
            continue;
        }
        const qsizetype entry = l.names.size();
        qsizetype group = -1;
        if (const PieceName piece = parsePiece(name); !piece.clip.isEmpty()) {
            group = groupOfClip.value(piece.clip, groups.size());
            if (group == groups.size()) {
                groupOfClip.insert(piece.clip, group);
                groups.append(Span{});
            }
            Span &g = groups[group];
            // Lowest number first; two spellings of one number (C_001.R3D and
            // C_001.r3d) are ordered by name so the choice never depends on
            // the listing order.
            if (g.pieces++ == 0 || piece.number < g.firstNumber ||
                (piece.number == g.firstNumber && name < l.names[g.first])) {
                g.first = entry;
                g.firstNumber = piece.number;
            }
        }
        l.names.append(std::move(name));
        l.spanOf.append(group);
    }
    if (dir)
        ::closedir(dir);

    // Only groups of two or more pieces are spanned clips.
    QList<qsizetype> spanOfGroup(groups.size(), -1);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        if (groups[g].pieces >= 2) {
            spanOfGroup[g] = l.spans.size();
            l.spans.append(groups[g]);
        }
    }
    for (qsizetype e = 0; e < l.names.size(); ++e) {
        qsizetype &span = l.spanOf[e];
        if (span < 0 || (span = spanOfGroup[span]) < 0)
            continue;
        l.spans[span].entries.append(e);
        l.pieceEntry.insert(l.names[e], e);
    }
    return *m_listings.insert(folder, std::move(l));
}

FoundClip ClipCollector::spanned(const QString &folder, const Listing &l, qsizetype span) {
    const Span &s = l.spans[span];
    FoundClip clip{QUrl::fromLocalFile(folder + l.names[s.first]), {}};
    clip.pieces.reserve(s.entries.size());
    QSet<int> numbers;
    int highest = 0;
    for (const qsizetype e : s.entries) {
        clip.pieces.append(folder + l.names[e]);
        const int number = parsePiece(l.names[e]).number;
        numbers.insert(number);
        highest = std::max(highest, number);
    }
    const QString &first = l.names[s.first];
    const QString clipPart = parsePiece(first).clip;
    const QString extension = FileName::pathExtension(first);
    for (int number = 1; number < highest; ++number) {
        if (!numbers.contains(number))
            clip.missing.append(clipPart + u'_' +
                                QStringLiteral("%1").arg(number, 3, 10, QChar(u'0')) + u'.' +
                                extension);
    }
    return clip;
}
