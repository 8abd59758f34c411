#pragma once
// The pair that ends a crop draft: "Zuschneiden" applies it, the cross
// discards it (keeping the aspect preset and the crop tool, recording nothing).
#include <QWidget>

class CropTool;
class QPushButton;
class QToolButton;

class CropConfirmControls : public QWidget {
    Q_OBJECT
public:
    explicit CropConfirmControls(CropTool& crop, QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* e) override;

private:
    void retranslate();

    CropTool& m_crop;
    QPushButton* m_apply;
    QToolButton* m_cancel;
};
