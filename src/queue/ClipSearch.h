#pragma once

#include "ClipCollector.h"

#include <QList>
#include <QObject>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>

// Looks for the clips of drops off the main thread, so that a large or slow
// tree never freezes the window: one drop after another, in the order they
// came, each handed back on the main thread in one piece (found()). A
// search that is cancelled, or whose object is destroyed, hands back
// nothing; its walk stops before its next folder listing.
class ClipSearch : public QObject {
    Q_OBJECT

public:
    explicit ClipSearch(QObject *parent = nullptr);
    ~ClipSearch() override;

    // Searches the URLs once the drops before them have been searched.
    void search(const QList<QUrl> &urls);
    // Drops every search, running or waiting.
    void cancel();
    bool isSearching() const { return m_running != nullptr; }

    // Called on the searching thread before each folder is listed
    // (benchmarks simulate a slow file system with it).
    void setBeforeListing(std::function<void(const QString &folder)> hook) {
        m_beforeListing = std::move(hook);
    }

Q_SIGNALS:
    // What one drop's URLs hold, on the main thread.
    void found(const QList<QUrl> &urls, const FoundClips &clips);
    void searchingChanged(bool searching);

private:
    void startNext();
    // On the main thread, when a search not cancelled has ended.
    void finish(const QList<QUrl> &urls, const FoundClips &found);

    QList<QList<QUrl>> m_waiting;
    // The running search's stop flag, shared with its thread; null when idle.
    // Set, the search stops before its next listing and hands back nothing.
    std::shared_ptr<std::atomic<bool>> m_running;
    std::function<void(const QString &)> m_beforeListing;
};
