#pragma once

#include "JobRowAccessible.h"

// A text or a button of a job's row for assistive technology: the status,
// the sizes and the error text read as static texts; the buttons press
// through their action.
class JobRowPartAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    JobRowPartAccessible(JobRowAccessible *row, JobRowAccessible::Part part);
    JobRowAccessible::Part part() const { return m_part; }

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_row->window(); }
    QAccessibleInterface *parent() const override { return m_row; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return m_row->partRect(m_part); }
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    JobRowAccessible *m_row; // owns this part
    JobRowAccessible::Part m_part;
};
