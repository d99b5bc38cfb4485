#include "JobRowAccessible.h"

#include "JobListModel.h"
#include "JobListView.h"
#include "JobRowDelegate.h"
#include "JobRowPartAccessible.h"
#include "JobRowText.h"
#include "model/TranscodeJob.h"

#include <QWidget>
#include <QWindow>

namespace {

JobRowAccessible::Part partOf(JobRowAction action) {
    switch (action) {
    case JobRowAction::remove:
        return JobRowAccessible::Part::remove;
    case JobRowAction::sendToFCP:
        return JobRowAccessible::Part::sendToFCP;
    case JobRowAction::reveal:
    case JobRowAction::none:
        break;
    }
    return JobRowAccessible::Part::reveal;
}

} // namespace

JobRowAccessible::JobRowAccessible(JobListView *view, TranscodeJob *job)
    : m_view(view), m_job(job) {
}

JobRowAccessible::~JobRowAccessible() {
    for (const QAccessible::Id id : std::as_const(m_parts))
        QAccessible::deleteAccessibleInterface(id);
}

int JobRowAccessible::row() const {
    if (!m_view || !m_job || !m_view->jobModel())
        return -1;
    return m_view->jobModel()->rowOf(m_job);
}

QModelIndex JobRowAccessible::rowIndex() const {
    const int at = row();
    return at < 0 ? QModelIndex() : m_view->jobModel()->index(at);
}

JobRowAction JobRowAccessible::actionOf(Part part) {
    switch (part) {
    case Part::remove:
        return JobRowAction::remove;
    case Part::sendToFCP:
        return JobRowAction::sendToFCP;
    case Part::reveal:
        return JobRowAction::reveal;
    case Part::status:
    case Part::sizes:
    case Part::notice:
        break;
    }
    return JobRowAction::none;
}

QList<JobRowAccessible::Part> JobRowAccessible::parts() const {
    const QModelIndex index = rowIndex();
    if (!index.isValid())
        return {};
    QList<Part> parts{Part::status, Part::sizes};
    if (!index.data(JobListModel::NoticeRole).toString().isEmpty())
        parts << Part::notice;
    for (const JobRowAction action : m_view->rowDelegate()->actions(index))
        parts << partOf(action);
    return parts;
}

QString JobRowAccessible::partText(Part part) const {
    const QModelIndex index = rowIndex();
    if (!index.isValid())
        return {};
    switch (part) {
    case Part::status:
        return index.data(JobListModel::BadgeRole).toString();
    case Part::sizes:
        return index.data(JobListModel::SizesRole).toString();
    case Part::notice:
        return index.data(JobListModel::NoticeRole).toString();
    case Part::remove:
    case Part::sendToFCP:
    case Part::reveal:
        break;
    }
    return JobRowText::actionName(actionOf(part));
}

QRect JobRowAccessible::partRect(Part part) const {
    const QModelIndex index = rowIndex();
    if (!index.isValid())
        return {};
    const JobRowDelegate::Layout l = m_view->rowDelegate()->layout(m_view->rowOption(index), index);
    QRect r;
    switch (part) {
    case Part::status:
        r = l.badge;
        break;
    case Part::sizes:
        r = l.sizes;
        break;
    case Part::notice:
        r = l.notice;
        break;
    case Part::remove:
    case Part::sendToFCP:
    case Part::reveal:
        r = l.rect(actionOf(part));
        break;
    }
    return {m_view->viewport()->mapToGlobal(r.topLeft()), r.size()};
}

bool JobRowAccessible::isValid() const {
    return row() >= 0;
}

QWindow *JobRowAccessible::window() const {
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *JobRowAccessible::parent() const {
    return m_view ? QAccessible::queryAccessibleInterface(m_view) : nullptr;
}

QAccessibleInterface *JobRowAccessible::partInterface(Part part) const {
    if (const auto id = m_parts.value(int(part)))
        return QAccessible::accessibleInterface(id);
    auto *interface = new JobRowPartAccessible(const_cast<JobRowAccessible *>(this), part);
    m_parts.insert(int(part), QAccessible::registerAccessibleInterface(interface));
    return interface;
}

QAccessibleInterface *JobRowAccessible::child(int index) const {
    const QList<Part> all = parts();
    return index >= 0 && index < all.size() ? partInterface(all.at(index)) : nullptr;
}

int JobRowAccessible::childCount() const {
    return int(parts().size());
}

int JobRowAccessible::indexOfChild(const QAccessibleInterface *child) const {
    const auto *part = dynamic_cast<const JobRowPartAccessible *>(child);
    return part && part->parent() == this ? int(parts().indexOf(part->part())) : -1;
}

QAccessibleInterface *JobRowAccessible::childAt(int x, int y) const {
    for (const Part part : parts()) {
        if (partRect(part).contains(x, y))
            return partInterface(part);
    }
    return nullptr;
}

QAccessibleInterface *JobRowAccessible::focusChild() const {
    const int at = row();
    if (at < 0 || !m_view->hasFocus() || m_view->currentIndex().row() != at ||
        m_view->focusedAction() == JobRowAction::none)
        return nullptr;
    return partInterface(partOf(m_view->focusedAction()));
}

QString JobRowAccessible::text(QAccessible::Text t) const {
    const QModelIndex index = rowIndex();
    if (!index.isValid())
        return {};
    switch (t) {
    case QAccessible::Name:
        return index.data(Qt::AccessibleTextRole).toString();
    case QAccessible::Description:
        return index.data(Qt::AccessibleDescriptionRole).toString();
    case QAccessible::Help:
        return index.data(Qt::ToolTipRole).toString();
    default:
        return {};
    }
}

QRect JobRowAccessible::rect() const {
    const QModelIndex index = rowIndex();
    if (!index.isValid())
        return {};
    const QRect r = m_view->visualRect(index);
    return {m_view->viewport()->mapToGlobal(r.topLeft()), r.size()};
}

QAccessible::State JobRowAccessible::state() const {
    QAccessible::State s;
    const QModelIndex index = rowIndex();
    if (!index.isValid()) {
        s.invalid = true;
        return s;
    }
    s.focusable = true;
    s.focused = m_view->hasFocus() && m_view->currentIndex().row() == index.row() &&
                m_view->focusedAction() == JobRowAction::none;
    s.invisible = !m_view->isVisible();
    s.offscreen = !m_view->visibleRegion().intersects(m_view->visualRect(index));
    return s;
}

void *JobRowAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList JobRowAccessible::actionNames() const {
    QStringList names;
    for (const Part part : parts()) {
        if (actionOf(part) != JobRowAction::none)
            names << JobRowText::actionName(actionOf(part));
    }
    return names;
}

void JobRowAccessible::doAction(const QString &actionName) {
    for (const Part part : parts()) {
        const JobRowAction action = actionOf(part);
        if (action != JobRowAction::none && JobRowText::actionName(action) == actionName) {
            m_view->trigger(rowIndex(), action);
            return;
        }
    }
}

QStringList JobRowAccessible::keyBindingsForAction(const QString &actionName) const {
    if (actionName == JobRowText::actionName(JobRowAction::remove))
        return {QStringLiteral("Delete")};
    return {};
}
