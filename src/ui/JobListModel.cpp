#include "JobListModel.h"

#include "JobRowText.h"
#include "model/TranscodeJob.h"
#include "queue/ConversionSession.h"
#include "queue/TranscodeQueue.h"

JobListModel::JobListModel(ConversionSession *session, QObject *parent)
    : QAbstractListModel(parent), m_queue(session->queue()) {
    using S = ConversionSession;
    connect(session, &S::jobsAboutToBeAdded, this, &JobListModel::aboutToAdd);
    connect(session, &S::jobsAdded, this, &JobListModel::added);
    connect(session, &S::jobsAboutToBeRemoved, this, &JobListModel::aboutToRemove);
    connect(session, &S::jobsRemoved, this, &JobListModel::removed);
    // A job changes only in these events: its row is announced, nothing else.
    connect(session, &S::jobStarted, this, &JobListModel::jobChanged);
    connect(session, &S::progressed, this, [this](const QList<TranscodeJob *> &jobs) {
        for (const TranscodeJob *job : jobs)
            jobChanged(job);
    });
    connect(session, &S::jobFinished, this, &JobListModel::jobChanged);
    connect(session, &S::jobUpdated, this, &JobListModel::jobChanged);
    // The queue deletes its jobs after announcing its end; forget them first.
    connect(m_queue, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_jobs.clear();
        m_rows.clear();
        endResetModel();
    });
    m_jobs = m_queue->jobs();
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
    for (int row = first; row <= last; ++row)
        m_rows.insert(m_jobs.at(row), row);
    endInsertRows();
}

void JobListModel::aboutToRemove(int first, int last) {
    beginRemoveRows(QModelIndex(), first, last);
}

void JobListModel::removed(int first, int last) {
    m_jobs.remove(first, last - first + 1);
    indexRows();
    endRemoveRows();
}

void JobListModel::jobChanged(const TranscodeJob *job) {
    const int row = rowOf(job);
    if (row < 0)
        return;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed);
}

void JobListModel::indexRows() {
    m_rows.clear();
    m_rows.reserve(m_jobs.size());
    for (int row = 0; row < m_jobs.size(); ++row)
        m_rows.insert(m_jobs.at(row), row);
}
