#include "ClipCollector.h"

#include "model/FileName.h"
#include "model/NaturalOrder.h"
#include "platform/OpenFolder.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

bool hasExtension(const QString &path, QStringView extension) {
    return FileName::pathExtension(path).compare(extension, Qt::CaseInsensitive) == 0;
}

bool hasR3DExtension(const QString &path) {
    return hasExtension(path, u"R3D");
}

bool isCardFolder(const QString &path) {
    return hasExtension(path, u"RDM");
}

bool isClipFolder(const QString &path) {
    return hasExtension(path, u"RDC");
}

// RED's name for a clip: camera letter and reel, clip number, and the date
// with two characters that tell the day's cards apart (A001_C001_0101XY).
bool isRedClipName(const QString &clip) {
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z][0-9]{3}_[A-Za-z][0-9]{3}_[0-9]{4}[A-Za-z0-9]{2}$"));
    return pattern.match(clip).hasMatch();
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

// Whether pieces of `clip` in `folder` make one spanned clip.
bool foldsPieces(const QString &folder, const QString &clip) {
    return !clip.isEmpty() && (isClipFolder(folder) || isRedClipName(clip));
}

// Whether the entry is a folder to search: a real folder, not a link to one.
bool isSubfolder(const OpenFolder &folder, const OpenFolder::Entry &entry) {
    if (entry.kind != OpenFolder::Kind::unknown)
        return entry.kind == OpenFolder::Kind::folder;
    const auto status = folder.status(entry.name.data());
    return status && status->kind == OpenFolder::Kind::folder;
}

qint64 fileSize(const QString &path) {
    const auto status = OpenFolder::statusOf(path);
    return status ? status->size : 0;
}

QString withoutSlash(const QString &folder) {
    return folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder;
}

} // namespace

bool ClipCollector::isR3D(const QUrl &url) {
    return hasR3DExtension(url.path());
}

QString ClipCollector::pathText(const QUrl &url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

void FoundClip::measure() {
    if (pieces.isEmpty()) {
        bytes = fileSize(ClipCollector::pathText(url));
        return;
    }
    bytes = 0;
    for (const QString &piece : std::as_const(pieces))
        bytes += fileSize(piece);
}

FoundClips ClipCollector::collectAll(const QList<QUrl> &urls, Measure measure) {
    QList<FoundClip> clips;
    for (const QUrl &url : urls)
        clips.append(collect(url));
    if (measure == Measure::yes) {
        for (FoundClip &clip : clips)
            clip.measure();
    }
    FoundClips all = m_findings;
    all.clips = std::move(clips);
    return all;
}

QList<FoundClip> ClipCollector::collect(const QUrl &url) {
    const QString path = pathText(url);
    if (FileName::denotesFolder(url)) {
        m_listedInDrop = 0;
        m_limitHit = false;
        QList<FoundClip> found;
        walk(path, 0, true, found);
        if (m_limitHit)
            m_findings.unfinished.append(withoutSlash(path));
        return found;
    }

    if (!isR3D(url))
        return {};
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    const QString folder = path.left(slash + 1);
    if (slash < 0 || !foldsPieces(withoutSlash(folder), parsePiece(name).clip))
        return {{url}};
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

bool ClipCollector::stopped() const {
    return m_options.cancelled && m_options.cancelled->load(std::memory_order_relaxed);
}

void ClipCollector::walk(const QString &folder, int level, bool takeClips,
                         QList<FoundClip> &found) {
    if (stopped())
        return;
    if (m_listedInDrop >= m_options.limits.folders) {
        m_limitHit = true;
        return;
    }
    ++m_listedInDrop;
    const QString name = withoutSlash(folder);
    if (isCardFolder(name))
        ++m_findings.cardsEntered;
    else if (isClipFolder(name))
        ++m_findings.clipFoldersEntered;

    // Copies: listing further folders may move the cached listings.
    const Listing &l = listing(folder, level == 0 ? Open::followingLinks : Open::notFollowingLinks);
    const QStringList folders = l.folders;
    QList<FoundClip> own;
    if (takeClips) {
        this->takeClips(folder, l, own);
        if (isClipFolder(name) && l.opened && l.names.isEmpty() && l.unreadable.isEmpty())
            m_findings.emptyClipFolders.append(name);
    }

    // Clips and subfolders in one name order.
    qsizetype next = 0;
    for (const QString &sub : folders) {
        while (next < own.size() && NaturalOrder::less(own[next].url.fileName(), sub))
            found.append(std::move(own[next++]));
        const bool red = isCardFolder(sub) || isClipFolder(sub);
        if (level + 1 > m_options.limits.depth) {
            if (red)
                m_findings.tooDeep.append(folder + sub);
            continue;
        }
        walk(folder + sub + u'/', level + 1, red, found);
    }
    while (next < own.size())
        found.append(std::move(own[next++]));
}

void ClipCollector::takeClips(const QString &folder, const Listing &l, QList<FoundClip> &found) {
    for (const QString &name : l.unreadable)
        m_findings.unreadable.append(folder + name);
    found.reserve(found.size() + l.names.size());
    for (qsizetype e = 0; e < l.names.size(); ++e) {
        const qsizetype span = l.spanOf[e];
        if (span < 0)
            found.append({QUrl::fromLocalFile(folder + l.names[e])});
        else if (l.spans[span].first == e)
            found.append(spanned(folder, l, span));
    }
}

const ClipCollector::Listing &ClipCollector::listing(const QString &folder, Open how) {
    if (const auto cached = m_listings.constFind(folder); cached != m_listings.cend())
        return *cached;
    if (m_options.beforeListing)
        m_options.beforeListing(folder);
    return *m_listings.insert(folder, read(folder, how));
}

ClipCollector::Listing ClipCollector::read(const QString &folder, Open how) {
    // One level deep, hidden entries included. A folder that cannot be
    // listed contributes nothing. The names come as bytes, so that one that
    // is not UTF-8 is seen rather than skipped. A folder reached by the
    // search is never a link (it could lead out of the tree or round in a
    // loop).
    Listing l;
    OpenFolder dir(folder, how == Open::followingLinks ? OpenFolder::Links::follow
                                                       : OpenFolder::Links::refuse);
    l.opened = dir.isOpen();
    OpenFolder::Entry item;
    while (dir.next(item)) {
        // A leading U+FEFF is part of the name, not a byte-order mark.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString name = utf8(item.name);
        if (!hasR3DExtension(name)) {
            // Hidden folders and names that cannot be paths are not searched.
            if (!utf8.hasError() && !item.name.startsWith('.') && isSubfolder(dir, item))
                l.folders.append(std::move(name));
            continue;
        }
        if (utf8.hasError()) {
            l.unreadable.append(std::move(name));
            continue;
        }
        l.names.append(std::move(name));
    }
    for (QStringList *names : {&l.names, &l.folders, &l.unreadable})
        std::sort(names->begin(), names->end(), &NaturalOrder::less);
    groupPieces(withoutSlash(folder), l);
    return l;
}

void ClipCollector::groupPieces(const QString &folder, Listing &l) {
    // The names are in name order, so of two spellings of one number
    // (C_001.R3D and C_001.r3d) the same one is the first piece whatever the
    // file system's order.
    QList<Span> groups; // every clip part seen in a piece name
    QHash<QString, qsizetype> groupOfClip;
    l.spanOf.fill(-1, l.names.size());
    for (qsizetype e = 0; e < l.names.size(); ++e) {
        const PieceName piece = parsePiece(l.names[e]);
        if (!foldsPieces(folder, piece.clip))
            continue;
        qsizetype group = groupOfClip.value(piece.clip, groups.size());
        if (group == groups.size()) {
            groupOfClip.insert(piece.clip, group);
            groups.append(Span{});
        }
        Span &g = groups[group];
        if (g.pieces++ == 0 || piece.number < g.firstNumber) {
            g.first = e;
            g.firstNumber = piece.number;
        }
        l.spanOf[e] = group;
    }

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
}

FoundClip ClipCollector::spanned(const QString &folder, const Listing &l, qsizetype span) {
    const Span &s = l.spans[span];
    FoundClip clip{QUrl::fromLocalFile(folder + l.names[s.first])};
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
