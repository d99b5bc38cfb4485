#include "JobListModel.h"

#include "JobRowText.h"
#include "model/TranscodeJob.h"
#include "queue/TranscodeQueue.h"

JobListModel::JobListModel(TranscodeQueue *queue, QObject *parent)
    : QAbstractListModel(parent), m_queue(queue) {
    connect(queue, &TranscodeQueue::jobsAboutToBeAdded, this, &JobListModel::aboutToAdd);
    connect(queue, &TranscodeQueue::jobsAdded, this, &JobListModel::added);
    connect(queue, &TranscodeQueue::jobsAboutToBeRemoved, this, &JobListModel::aboutToRemove);
    connect(queue, &TranscodeQueue::jobsRemoved, this, &JobListModel::removed);
    // The queue deletes its jobs after announcing its end; forget them first.
    connect(queue, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_jobs.clear();
        m_rows.clear();
        m_statuses.clear();
        endResetModel();
    });
    m_jobs = queue->jobs();
    for (TranscodeJob *job : std::as_const(m_jobs)) {
        m_statuses.append(job->status());
        watch(job);
    }
    indexRows();
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

void JobListModel::aboutToAdd(int first, int last) {
    beginInsertRows(QModelIndex(), first, last);
}

void JobListModel::added(int first, int last) {
    m_jobs = m_queue->jobs(); // shares the queue's list
    m_rows.reserve(m_jobs.size());
    m_statuses.reserve(m_jobs.size());
    for (int row = first; row <= last; ++row) {
        TranscodeJob *job = m_jobs.at(row);
        m_rows.insert(job, row);
        m_statuses.append(job->status());
        watch(job);
    }
    endInsertRows();
}

void JobListModel::aboutToRemove(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
    for (int row = first; row <= last; ++row)
        disconnect(m_jobs.at(row), nullptr, this, nullptr);
}

void JobListModel::removed(int first, int last) {
    m_jobs.remove(first, last - first + 1);
    m_statuses.remove(first, last - first + 1);
    indexRows();
    endRemoveRows();
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
