#pragma once
// The pair that ends a crop draft: "Zuschneiden" applies it, the cross
// discards it (keeping the aspect preset and the crop tool, recording nothing).
#include <QWidget>

class EditorViewModel;
class QPushButton;
class QToolButton;

class CropConfirmControls : public QWidget {
    Q_OBJECT
public:
    explicit CropConfirmControls(EditorViewModel& vm, QWidget* parent = nullptr);

    QPushButton* applyButton() const { return m_apply; }
    QToolButton* cancelButton() const { return m_cancel; }

private:
    void retranslate();

    EditorViewModel& m_vm;
    QPushButton* m_apply;
    QToolButton* m_cancel;
};
