#pragma once
// Undo and redo at the right end of the toolbar's first row, each on only
// while the model has a step to take back or bring back.
#include <QWidget>

class EditorViewModel;
class ToolbarIconButton;

class HistoryControls : public QWidget {
    Q_OBJECT
public:
    explicit HistoryControls(EditorViewModel& vm, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* e) override;

private:
    void sync();
    void retranslate();

    EditorViewModel& m_vm;
    ToolbarIconButton* m_undo;
    ToolbarIconButton* m_redo;
};
