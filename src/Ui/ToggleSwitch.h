#pragma once
// An on/off switch: a capsule track in the accent colour when on, a white knob
// that slides across.
#include <QAbstractButton>

class AnimatedValue;

class ToggleSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override { return QSize(38, 22); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    AnimatedValue* m_position;
};
