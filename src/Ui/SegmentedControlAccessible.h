#pragma once
// What screen readers see of a SegmentedControl: a group (or tab list) whose
// children are its segments, each named by its label, checked when selected
// and selectable through the press action.
#include <QAccessibleWidget>
#include <QHash>

class SegmentedControl;

class SegmentedControlAccessible : public QAccessibleWidget {
public:
    explicit SegmentedControlAccessible(SegmentedControl* control);
    ~SegmentedControlAccessible() override;

    QAccessible::Role role() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    // Registers the factory once; every SegmentedControl calls it.
    static void install();

private:
    SegmentedControl* control() const;
    mutable QHash<int, QAccessible::Id> m_children;
};
