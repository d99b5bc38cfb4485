#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

// One clip found in the dropped URLs: the file REDline is given and, for a
// clip spanned over several files, all its pieces.
struct FoundClip {
    QUrl url;
    // Paths of the pieces of a spanned clip (its first piece among them), in
    // listing order; empty for a clip in one file.
    QStringList pieces = {};
    // Names of the pieces that the numbering says should be there, from
    // <clip>_001 up to the highest found, but are not: a reader cannot
    // read such a clip whole.
    QStringList missing = {};

    bool isSpanned() const { return !pieces.isEmpty(); }
    // The size of all the pieces, looked up now; a piece that cannot be read
    // counts 0.
    qint64 piecesBytes() const;
};

// Finds the R3D clips in the URLs of one drop (or one open panel choice).
//
// A folder URL (path ending in "/") contributes the entries it lists one
// level deep whose name has the extension R3D in any case, in the file
// system's order; a file URL contributes itself when its name has that
// extension. Names alone count, the disk is not asked what an entry is.
// A name that is not valid UTF-8 cannot become a path that leads back to
// its file, so it is set aside and reported (unreadableNames()).
//
// RED cameras split a long take into pieces inside its clip folder,
// <clip>_001.R3D, <clip>_002.R3D, …, and a reader opens the clip by its
// first piece. Names that end in "_" and exactly three digits before the
// extension, with at least one sibling of the same <clip> part in the same
// folder, are one spanned clip, contributed once as its lowest-numbered
// piece: later pieces found in a folder are left out, a later piece dropped
// as a file stands for its clip's first piece, and the pieces of one clip
// dropped as files in one drop give the clip once. A piece without siblings
// is an ordinary clip.
//
// Each folder is listed at most once per collector, whether it was dropped
// or holds a dropped piece, so a drop costs one pass over each folder
// however many clips or pieces it holds.
class ClipCollector {
public:
    // True when the URL's last path component has the extension R3D (any case).
    static bool isR3D(const QUrl &url);
    // The path text that intake shows in the log and compares for duplicates.
    static QString pathText(const QUrl &url);

    // The clips that one dropped URL contributes, in order.
    QList<FoundClip> collect(const QUrl &url);
    // Paths of the R3D files that dropped folders held but that cannot be
    // added because their names are not valid UTF-8 (shown with U+FFFD in
    // place of the bad bytes), in the order met.
    const QStringList &unreadableNames() const { return m_unreadable; }

private:
    struct Span {
        qsizetype first = -1; // entry index of the lowest-numbered piece
        int firstNumber = 0;
        int pieces = 0;
        QList<qsizetype> entries; // filled for spanned clips only
    };
    struct Listing {
        QStringList names;                    // R3D entries in listing order
        QList<qsizetype> spanOf;              // per entry: index into spans, or -1
        QList<Span> spans;                    // only clips of two or more pieces
        QHash<QString, qsizetype> pieceEntry; // piece name -> entry index
        QStringList unreadable;               // R3D names that are not UTF-8
    };

    // The folder's R3D entries grouped into clips; `folder` ends with "/".
    const Listing &listing(const QString &folder);
    static FoundClip spanned(const QString &folder, const Listing &l, qsizetype span);

    QHash<QString, Listing> m_listings;
    QSet<QString> m_droppedSpans; // first pieces already given for dropped files
    QStringList m_unreadable;
};
