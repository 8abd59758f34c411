#pragma once
// A place in a toolbar row for a group of controls: a horizontal run with its
// own spacing that takes no room (and no row spacing) while it holds nothing.
#include <QWidget>

class QHBoxLayout;

class ToolbarSlot : public QWidget {
public:
    explicit ToolbarSlot(int spacing, QWidget* parent = nullptr);

    void addControl(QWidget* control);
    // Removes and deletes every control.
    void clear();
    bool isEmpty() const;
    // Controls added here directly count as well.
    QHBoxLayout* layout() const { return m_layout; }

protected:
    bool event(QEvent* e) override;

private:
    QHBoxLayout* m_layout;
};
