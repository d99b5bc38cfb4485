#pragma once

#include "model/JobStatus.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>

class ConversionSession;
class TranscodeJob;
class TranscodeQueue;

// The session's jobs as a list, one row per job in list order. It observes
// the session's events alone: jobs added become rows inserted at the end,
// removed jobs removed rows, and a job started, progressed (batched),
// finished or updated announces that job's row alone. It reads the jobs and never changes them.
class JobListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        JobRole = Qt::UserRole + 1, // TranscodeJob *
        StatusRole,                 // JobStatus
        ProgressRole,               // double, 0 to 1
        BadgeRole,                  // "waiting", "converting 42%", …
        SizesRole,                  // "1.2 GB → 430 MB  (64% smaller)"
        NoticeRole,                 // the error text under the row, or empty
    };

    explicit JobListModel(ConversionSession *session, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    TranscodeJob *job(int row) const { return m_jobs.value(row); }
    // The job's row, or -1 when it is not listed.
    int rowOf(const TranscodeJob *job) const { return m_rows.value(job, -1); }

private:
    void aboutToAdd(int first, int last);
    void added(int first, int last);
    void aboutToRemove(int first, int last);
    void removed(int first, int last);
    void jobChanged(const TranscodeJob *job);
    void indexRows();

    QPointer<TranscodeQueue> m_queue;
    QList<TranscodeJob *> m_jobs;
    QHash<const TranscodeJob *, int> m_rows;
};
