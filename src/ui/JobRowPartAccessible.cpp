#include "JobRowPartAccessible.h"

#include "JobListView.h"

#include <QWidget>

JobRowPartAccessible::JobRowPartAccessible(JobRowAccessible *row, JobRowAccessible::Part part)
    : m_row(row), m_part(part) {
}

bool JobRowPartAccessible::isValid() const {
    return m_row->isValid() && m_row->parts().contains(m_part);
}

QString JobRowPartAccessible::text(QAccessible::Text t) const {
    return t == QAccessible::Name ? m_row->partText(m_part) : QString();
}

QAccessible::Role JobRowPartAccessible::role() const {
    return JobRowAccessible::actionOf(m_part) == JobRowAction::none ? QAccessible::StaticText
                                                                    : QAccessible::Button;
}

QAccessible::State JobRowPartAccessible::state() const {
    QAccessible::State s = m_row->state();
    s.focused = false;
    s.focusable = false;
    const JobRowAction action = JobRowAccessible::actionOf(m_part);
    if (action != JobRowAction::none && !s.invalid) {
        const JobListView *view = m_row->view();
        s.focusable = true;
        s.focused = view->hasFocus() && view->currentIndex().row() == m_row->row() &&
                    view->focusedAction() == action;
    }
    return s;
}

void *JobRowPartAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface && role() == QAccessible::Button)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList JobRowPartAccessible::actionNames() const {
    return role() == QAccessible::Button ? QStringList{pressAction()} : QStringList{};
}

void JobRowPartAccessible::doAction(const QString &actionName) {
    if (actionName == pressAction() && role() == QAccessible::Button)
        m_row->doAction(m_row->partText(m_part));
}
