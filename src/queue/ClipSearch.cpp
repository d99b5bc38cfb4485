#include "ClipSearch.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

ClipSearch::ClipSearch(QObject *parent) : QObject(parent) {
}

ClipSearch::~ClipSearch() {
    // The walk ends at its next folder; its result goes nowhere, since the
    // continuation dies with this object.
    if (m_running)
        m_running->store(true);
}

void ClipSearch::search(const QList<QUrl> &urls) {
    m_waiting.append(urls);
    if (m_running)
        return;
    startNext();
    Q_EMIT searchingChanged(true);
}

void ClipSearch::cancel() {
    m_waiting.clear();
    if (!m_running)
        return;
    m_running->store(true);
    m_running.reset();
    Q_EMIT searchingChanged(false);
}

void ClipSearch::startNext() {
    // What the search thread and the main thread share: the thread writes
    // the findings, then posts their delivery to the main thread, which
    // alone looks at `owner`.
    struct Search {
        QList<QUrl> urls;
        std::atomic<bool> stop = false;
        QPointer<ClipSearch> owner;
        FoundClips found;
    };
    auto search = std::make_shared<Search>();
    search->urls = m_waiting.takeFirst();
    search->owner = this;
    m_running = std::shared_ptr<std::atomic<bool>>(search, &search->stop);
    const ClipCollector::Options options{{}, &search->stop, m_beforeListing};
    QThreadPool::globalInstance()->start([search, options] {
        search->found =
            ClipCollector(options).collectAll(search->urls, ClipCollector::Measure::yes);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [search] {
                if (search->owner && !search->stop.load())
                    search->owner->finish(search->urls, search->found);
            },
            Qt::QueuedConnection);
    });
}

void ClipSearch::finish(const QList<QUrl> &urls, const FoundClips &found) {
    m_running.reset();
    Q_EMIT this->found(urls, found);
    if (m_running) // a search asked for while the findings were handed over
        return;
    if (!m_waiting.isEmpty())
        startNext();
    else
        Q_EMIT searchingChanged(false);
}
