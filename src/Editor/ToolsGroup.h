#pragma once
// The thirteen tools at the start of the toolbar: in one row of buttons, or,
// when the toolbar is at its narrowest, folded into a chip that shows the
// current tool and opens a grid of all tools on hover. Tools are always
// listed in their declaration order.
#include <QList>
#include <QWidget>

class CompactToolTrigger;
class DelayScheduler;
class EditorViewModel;
class HoverExpandGroup;
class ToolButton;

class ToolsGroup : public QWidget {
    Q_OBJECT
public:
    ToolsGroup(EditorViewModel& vm, DelayScheduler& scheduler, QWidget* parent = nullptr);

    void setFolded(bool folded);

    // The inline row's buttons (hidden while folded).
    const QList<ToolButton*>& inlineButtons() const { return m_inline; }
    // The grid's buttons, once the folded group has opened.
    const QList<ToolButton*>& gridButtons() const { return m_grid; }

    static constexpr int gridColumns = 6;
    static constexpr int gridWidth = 180;

protected:
    void changeEvent(QEvent* e) override;

private:
    QWidget* buildGrid(std::function<void()> close);
    void retranslate();

    EditorViewModel& m_vm;
    QWidget* m_row;
    QList<ToolButton*> m_inline;
    QList<ToolButton*> m_grid;
    CompactToolTrigger* m_trigger;
    HoverExpandGroup* m_group;
    bool m_folded = false;
};
