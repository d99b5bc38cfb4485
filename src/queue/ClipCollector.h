#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>

// One clip found in the dropped URLs: the file REDline is given and, for a
// clip spanned over several files, all its pieces.
struct FoundClip {
    QUrl url;
    // Paths of the pieces of a spanned clip (its first piece among them), in
    // name order; empty for a clip in one file.
    QStringList pieces = {};
    // Names of the pieces that the numbering says should be there, from
    // <clip>_001 up to the highest found, but are not: a reader cannot
    // read such a clip whole.
    QStringList missing = {};
    // The size of the file, or of all the pieces, once measured (-1 before);
    // a file that cannot be read counts 0.
    qint64 bytes = -1;

    bool isSpanned() const { return !pieces.isEmpty(); }
    // Looks up `bytes` now.
    void measure();
};

// Everything one drop (or one open panel choice) held.
struct FoundClips {
    QList<FoundClip> clips;
    // Paths of R3D files whose names are not valid UTF-8 (shown with U+FFFD
    // in place of the bad bytes): they cannot be added.
    QStringList unreadable;
    // Clip folders (.RDC) entered that hold no R3D file.
    QStringList emptyClipFolders;
    // Card and clip folders seen just below the deepest level searched, so
    // not entered.
    QStringList tooDeep;
    // Dropped folders whose search stopped at the limit on folders listed.
    QStringList unfinished;
    int cardsEntered = 0;       // .RDM folders listed
    int clipFoldersEntered = 0; // .RDC folders listed
};

// Finds the R3D clips in the URLs of one drop (or one open panel choice).
//
// A file URL contributes itself when its name has the extension R3D in any
// case. A folder URL (path ending in "/") contributes the entries it lists
// one level deep whose name has that extension; names alone count, the disk
// is not asked what such an entry is. Below a dropped folder, RED's own
// folders are entered as well: every card (.RDM) and clip (.RDC) folder up
// to `Limits::depth` levels below it, reached through ordinary folders too
// (a day's offload, "Day 1/A001/A001_0101AB.RDM/A001_C001_0101XY.RDC/…").
// Ordinary folders below the dropped one are only passed through, their
// clips are not taken. Hidden folders and links to folders are never
// followed, and at most `Limits::folders` folders are listed per dropped
// folder. A folder's clips and subfolders come in natural name order
// (NaturalOrder), whatever order the file system lists them in.
//
// RED cameras split a long take into pieces inside its clip folder,
// <clip>_001.R3D, <clip>_002.R3D, …, and a reader opens the clip by its
// first piece. Names that end in "_" and exactly three digits before the
// extension, with at least one sibling of the same <clip> part in the same
// folder, are one spanned clip when that folder is a clip folder (.RDC) or
// <clip> is a RED clip name (reel, clip and date: A001_C001_0101XY). Such a
// clip is contributed once as its lowest-numbered piece: later pieces found
// in a folder are left out, a later piece dropped as a file stands for its
// clip's first piece, and the pieces of one clip dropped as files in one
// drop give the clip once. Other "_NNN" names are ordinary clips.
//
// Each folder is listed at most once per collector. The collector touches
// no Qt object but its own, so it can run on any thread.
class ClipCollector {
public:
    struct Limits {
        int depth = 4;         // levels below a dropped folder searched
        int folders = 100'000; // folders listed per dropped folder
    };
    struct Options {
        Limits limits = {};
        // When set and true, the search stops before the next listing.
        const std::atomic<bool> *cancelled = nullptr;
        // Called before each folder is listed (benchmarks slow the file
        // system down with it).
        std::function<void(const QString &folder)> beforeListing = {};
    };

    ClipCollector() = default;
    explicit ClipCollector(Options options) : m_options(std::move(options)) {}

    // True when the URL's last path component has the extension R3D (any case).
    static bool isR3D(const QUrl &url);
    // The path text that intake shows in the log and compares for duplicates.
    static QString pathText(const QUrl &url);

    // Everything the URLs hold, in their order; every clip measured when
    // asked (a search off the main thread does; the queue measures only the
    // clips it adds).
    enum class Measure { no, yes };
    FoundClips collectAll(const QList<QUrl> &urls, Measure measure = Measure::no);
    // The clips that one dropped URL contributes, in order, not measured.
    QList<FoundClip> collect(const QUrl &url);
    // What the URLs collected so far held besides their clips.
    const FoundClips &findings() const { return m_findings; }

private:
    struct Span {
        qsizetype first = -1; // entry index of the lowest-numbered piece
        int firstNumber = 0;
        int pieces = 0;
        QList<qsizetype> entries; // filled for spanned clips only
    };
    struct Listing {
        QStringList names;                    // R3D entries in name order
        QStringList folders;                  // subfolders to search, in name order
        QList<qsizetype> spanOf;              // per entry: index into spans, or -1
        QList<Span> spans;                    // only clips of two or more pieces
        QHash<QString, qsizetype> pieceEntry; // piece name -> entry index
        QStringList unreadable;               // R3D names that are not UTF-8
        bool opened = false;                  // false when the folder could not be listed
    };
    enum class Open { followingLinks, notFollowingLinks };

    // The folder's R3D entries grouped into clips; `folder` ends with "/".
    const Listing &listing(const QString &folder, Open how = Open::followingLinks);
    static Listing read(const QString &folder, Open how);
    static void groupPieces(const QString &folder, Listing &l);
    static FoundClip spanned(const QString &folder, const Listing &l, qsizetype span);
    // The clips of a listed folder, in name order, with those of the card and
    // clip folders below it, `level` levels below the dropped folder.
    void walk(const QString &folder, int level, bool takeClips, QList<FoundClip> &found);
    void takeClips(const QString &folder, const Listing &l, QList<FoundClip> &found);
    bool stopped() const;

    Options m_options;
    QHash<QString, Listing> m_listings;
    QSet<QString> m_droppedSpans; // first pieces already given for dropped files
    FoundClips m_findings;
    int m_listedInDrop = 0; // folders listed for the dropped folder being searched
    bool m_limitHit = false;
};
