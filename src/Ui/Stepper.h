#pragma once
// A small up/down control that steps a whole number within a range: the upper
// half adds one step, the lower half takes one away; Up and Down keys do the
// same. The number itself is shown by the owner beside it. Screen readers see
// a spin box with its value text and increase/decrease actions.
#include <QWidget>
#include <functional>

class Stepper : public QWidget {
    Q_OBJECT
public:
    explicit Stepper(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int value() const { return m_value; }
    // Clamped into the range; valueChanged only for a real change.
    void setValue(int value);
    void stepUp() { setValue(m_value + 1); }
    void stepDown() { setValue(m_value - 1); }

    // The value as the user reads it (for screen readers); the number by default.
    std::function<QString(int)> valueText;
    QString currentText() const;

    QSize sizeHint() const override { return QSize(16, 24); }
    QRectF upperHalf() const;
    QRectF lowerHalf() const;

Q_SIGNALS:
    void valueChanged(int value);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    int m_min = 0;
    int m_max = 99;
    int m_value = 0;
};
