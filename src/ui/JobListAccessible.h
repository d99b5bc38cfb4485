#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QList>
#include <QMetaObject>

class JobListView;
class TranscodeJob;

// What assistive technology sees of the job list: a list whose children are
// the rows (JobRowAccessible), made when first asked for and forgotten when
// their rows go.
class JobListAccessible : public QAccessibleWidget {
public:
    explicit JobListAccessible(JobListView *view);
    ~JobListAccessible() override;

    // Installed once by JobListView.
    static QAccessibleInterface *factory(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    JobListView *view() const;
    void followModel() const;
    void forgetRows(int first, int last) const;
    void forgetAll() const;

    mutable QHash<const TranscodeJob *, QAccessible::Id> m_rows;
    mutable QList<QMetaObject::Connection> m_connections;
};
