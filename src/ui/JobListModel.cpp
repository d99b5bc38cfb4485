#include "JobListModel.h"

#include "JobRowText.h"
#include "model/TranscodeJob.h"
#include "queue/TranscodeQueue.h"

JobListModel::JobListModel(TranscodeQueue *queue, QObject *parent)
    : QAbstractListModel(parent), m_queue(queue) {
    connect(queue, &TranscodeQueue::jobsChanged, this, &JobListModel::followQueue);
    // The queue deletes its jobs after announcing its end; forget them first.
    connect(queue, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_jobs.clear();
        m_rows.clear();
        m_statuses.clear();
        endResetModel();
    });
    followQueue();
}

int JobListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_jobs.size());
}

Qt::ItemFlags JobListModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant JobListModel::data(const QModelIndex &index, int role) const {
    const TranscodeJob *job = m_jobs.value(index.row());
    if (!job || index.parent().isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return JobRowText::name(*job);
    case Qt::ToolTipRole:
        return job->sourcePath();
    case Qt::AccessibleDescriptionRole: {
        QStringList parts{JobRowText::badgeText(*job), JobRowText::sizeText(*job)};
        if (const QString notice = JobRowText::noticeText(*job); !notice.isEmpty())
            parts << notice;
        return parts.join(QStringLiteral(", "));
    }
    case JobRole:
        return QVariant::fromValue(const_cast<TranscodeJob *>(job));
    case StatusRole:
        return QVariant::fromValue(job->status());
    case ProgressRole:
        return job->progress();
    case BadgeRole:
        return JobRowText::badgeText(*job);
    case SizesRole:
        return JobRowText::sizeText(*job);
    case NoticeRole:
        return JobRowText::noticeText(*job);
    default:
        return {};
    }
}

void JobListModel::followQueue() {
    if (!m_queue)
        return;
    const QList<TranscodeJob *> &now = m_queue->jobs();
    // Files added: the list grew at its end (the only way it grows).
    if (now.size() >= m_jobs.size() && std::equal(m_jobs.cbegin(), m_jobs.cend(), now.cbegin())) {
        if (now.size() > m_jobs.size())
            insertAtEnd(now);
        return;
    }
    // Jobs removed, the others kept in their order.
    if (removeMissing(now))
        return;
    // Anything else: start over.
    beginResetModel();
    for (TranscodeJob *job : std::as_const(m_jobs))
        disconnect(job, nullptr, this, nullptr);
    m_jobs = now;
    m_statuses.clear();
    for (TranscodeJob *job : now) {
        m_statuses.append(job->status());
        watch(job);
    }
    indexRows();
    endResetModel();
}

void JobListModel::insertAtEnd(const QList<TranscodeJob *> &now) {
    const int first = int(m_jobs.size());
    beginInsertRows(QModelIndex(), first, int(now.size()) - 1);
    m_jobs = now; // shares the queue's list
    m_rows.reserve(now.size());
    m_statuses.reserve(now.size());
    for (int row = first; row < now.size(); ++row) {
        TranscodeJob *job = now.at(row);
        m_rows.insert(job, row);
        m_statuses.append(job->status());
        watch(job);
    }
    endInsertRows();
}

bool JobListModel::removeMissing(const QList<TranscodeJob *> &now) {
    // Which rows are gone, if `now` is the list with some rows taken out.
    QList<int> gone;
    qsizetype kept = 0;
    for (int row = 0; row < m_jobs.size(); ++row) {
        if (kept < now.size() && now.at(kept) == m_jobs.at(row))
            ++kept;
        else
            gone.append(row);
    }
    if (kept != now.size())
        return false;
    // Runs of adjacent rows, last run first, so earlier rows keep their numbers.
    for (qsizetype end = gone.size(); end > 0;) {
        qsizetype start = end - 1;
        while (start > 0 && gone.at(start - 1) == gone.at(start) - 1)
            --start;
        const int first = gone.at(start);
        const int last = gone.at(end - 1);
        beginRemoveRows(QModelIndex(), first, last);
        for (int row = first; row <= last; ++row)
            disconnect(m_jobs.at(row), nullptr, this, nullptr);
        m_jobs.remove(first, last - first + 1);
        m_statuses.remove(first, last - first + 1);
        endRemoveRows();
        end = start;
    }
    indexRows();
    return true;
}

void JobListModel::watch(TranscodeJob *job) {
    // One connection per job: a list of 100,000 files stays light.
    connect(job, &TranscodeJob::changed, this, [this, job] { jobChanged(job); });
}

void JobListModel::jobChanged(TranscodeJob *job) {
    const int row = rowOf(job);
    if (row < 0)
        return;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed);
    if (job->status() != m_statuses.at(row)) {
        m_statuses[row] = job->status();
        Q_EMIT statusChanged();
    }
}

void JobListModel::indexRows() {
    m_rows.clear();
    m_rows.reserve(m_jobs.size());
    for (int row = 0; row < m_jobs.size(); ++row)
        m_rows.insert(m_jobs.at(row), row);
}
