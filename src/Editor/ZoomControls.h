#pragma once
// The zoom pill over the canvas's bottom-right corner: minus, the zoom as a
// percentage (a click goes back to 100%) and plus, on a capsule with a faint
// outline and shadow. The buttons follow the model's zoom; minus and plus
// turn off just short of the limits.
#include <QWidget>

class EditorViewModel;
class ZoomButton;

class ZoomControls : public QWidget {
    Q_OBJECT
public:
    explicit ZoomControls(EditorViewModel& vm, QWidget* parent = nullptr);

    // "100%" for 1: the zoom in whole percent, halves rounded away from zero.
    static QString percentText(double zoom);

protected:
    void changeEvent(QEvent* e) override;
    void paintEvent(QPaintEvent*) override;

private:
    void sync();
    void retranslate();

    EditorViewModel& m_vm;
    ZoomButton* m_minus;
    ZoomButton* m_percent;
    ZoomButton* m_plus;
};
