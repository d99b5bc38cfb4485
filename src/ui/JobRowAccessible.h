#pragma once

#include "JobRowAction.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QHash>
#include <QPointer>

class JobListView;
class TranscodeJob;

// One row of the job list for assistive technology. Its name is the file
// name, its description the status, sizes and error text; its children are
// those texts and its buttons (JobRowPartAccessible). The buttons' actions
// can also be invoked on the row itself by name ("Remove from list", "Send
// to Final Cut", "Show in Files"), the ones its state offers.
class JobRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    // The parts of a row, in order.
    enum class Part { status, sizes, notice, remove, sendToFCP, reveal };

    JobRowAccessible(JobListView *view, TranscodeJob *job);
    ~JobRowAccessible() override;

    JobListView *view() const { return m_view; }
    // The row's number in the list, or -1 once the job has left it.
    int row() const;
    // The row's model index; invalid once the job has left the list.
    QModelIndex rowIndex() const;
    // The parts the row shows in its state.
    QList<Part> parts() const;
    QString partText(Part part) const;
    QRect partRect(Part part) const;
    static JobRowAction actionOf(Part part);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    QAccessibleInterface *partInterface(Part part) const;

    QPointer<JobListView> m_view;
    QPointer<TranscodeJob> m_job;
    mutable QHash<int, QAccessible::Id> m_parts;
};
