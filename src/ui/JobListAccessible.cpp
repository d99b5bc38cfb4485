#include "JobListAccessible.h"

#include "JobListModel.h"
#include "JobListView.h"
#include "JobRowAccessible.h"

JobListAccessible::JobListAccessible(JobListView *view)
    : QAccessibleWidget(view, QAccessible::List) {
}

JobListAccessible::~JobListAccessible() {
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        QObject::disconnect(c);
    forgetAll();
}

QAccessibleInterface *JobListAccessible::factory(const QString &className, QObject *object) {
    if (className == u"JobListView") {
        if (auto *view = qobject_cast<JobListView *>(object))
            return new JobListAccessible(view);
    }
    // The viewport stands for its list, as it does for Qt's own item views.
    if (className == u"QWidget" && object && object->objectName() == u"qt_scrollarea_viewport") {
        if (auto *view = qobject_cast<JobListView *>(object->parent()))
            return new JobListAccessible(view);
    }
    return nullptr;
}

JobListView *JobListAccessible::view() const {
    return static_cast<JobListView *>(widget());
}

void JobListAccessible::followModel() const {
    if (!m_connections.isEmpty() || !view()->jobModel())
        return;
    const JobListModel *model = view()->jobModel();
    m_connections << QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved,
                                      [this](const QModelIndex &, int first, int last) {
                                          forgetRows(first, last);
                                      })
                  << QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset,
                                      [this] { forgetAll(); });
}

void JobListAccessible::forgetRows(int first, int last) const {
    for (int row = first; row <= last; ++row) {
        if (const auto id = m_rows.take(view()->jobModel()->job(row)))
            QAccessible::deleteAccessibleInterface(id);
    }
}

void JobListAccessible::forgetAll() const {
    for (const QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
    m_rows.clear();
}

int JobListAccessible::childCount() const {
    return view()->jobModel() ? view()->jobModel()->rowCount() : 0;
}

QAccessibleInterface *JobListAccessible::child(int index) const {
    JobListModel *model = view()->jobModel();
    TranscodeJob *job = model ? model->job(index) : nullptr;
    if (!job)
        return nullptr;
    followModel();
    if (const auto id = m_rows.value(job))
        return QAccessible::accessibleInterface(id);
    auto *row = new JobRowAccessible(view(), job);
    m_rows.insert(job, QAccessible::registerAccessibleInterface(row));
    return row;
}

int JobListAccessible::indexOfChild(const QAccessibleInterface *child) const {
    if (const auto *row = dynamic_cast<const JobRowAccessible *>(child))
        return row->row();
    return -1;
}

QAccessibleInterface *JobListAccessible::childAt(int x, int y) const {
    const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = view()->indexAt(local);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *JobListAccessible::focusChild() const {
    if (!view()->hasFocus() || !view()->currentIndex().isValid())
        return nullptr;
    QAccessibleInterface *row = child(view()->currentIndex().row());
    QAccessibleInterface *button = row ? row->focusChild() : nullptr;
    return button ? button : row;
}
