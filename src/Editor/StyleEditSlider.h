#pragma once
// A horizontal slider over a range of real numbers for the toolbar's style
// values. A press with the mouse jumps to the pressed spot and begins an edit
// that lasts until the release, so the model can count one drag as one undo
// step; arrow keys and the wheel change the value without an edit around it,
// each step on its own.
#include <QSlider>

class StyleEditSlider : public QSlider {
    Q_OBJECT
public:
    // keyStep: what one arrow-key press adds, in the value's own unit.
    StyleEditSlider(double minimum, double maximum, double keyStep, QWidget* parent = nullptr);

    double doubleValue() const;
    // From the model: shown without reporting a change.
    void showValue(double value);

    // Steps per unit of the value.
    static constexpr double resolution = 100;

Q_SIGNALS:
    // The user moved the slider to a new value.
    void edited(double value);
    void editingBegan();
    void editingEnded();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void endEditing();

    double m_min;
    double m_max;
    bool m_editing = false;
};
