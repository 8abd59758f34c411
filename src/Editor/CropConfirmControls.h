#pragma once
// The pair that ends a crop draft: "Zuschneiden" applies it, the cross
// discards it (keeping the aspect preset and the crop tool, recording nothing).
#include <QWidget>

class CropTool;
class EditorViewModel;
class QPushButton;
class QToolButton;

class CropConfirmControls : public QWidget {
    Q_OBJECT
public:
    CropConfirmControls(const EditorViewModel& vm, CropTool& crop, QWidget* parent = nullptr);

    QPushButton* applyButton() const { return m_apply; }
    QToolButton* cancelButton() const { return m_cancel; }

private:
    void retranslate();

    const EditorViewModel& m_vm;
    CropTool& m_crop;
    QPushButton* m_apply;
    QToolButton* m_cancel;
};
