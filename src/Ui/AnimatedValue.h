#pragma once
// A number that glides to a new target with an ease-out curve or a damped
// spring (response in seconds, damping fraction), for hover and press effects.
#include <QObject>

class QVariantAnimation;

class AnimatedValue : public QObject {
    Q_OBJECT
public:
    explicit AnimatedValue(double initial = 0.0, QObject* parent = nullptr);
    ~AnimatedValue() override;

    void setEaseOut(int durationMs);
    void setEaseInOut(int durationMs);
    void setSpring(double response, double dampingFraction);

    double value() const { return m_value; }
    void animateTo(double target);
    void setImmediately(double value);

    // Step response of a damped spring at time t (seconds): 0 at t = 0, settling at 1.
    static double springProgress(double t, double response, double dampingFraction);
    // Time after which the spring stays within 0.1 % of its target.
    static double springSettleTime(double response, double dampingFraction);

Q_SIGNALS:
    void valueChanged(double value);

private:
    void set(double v);

    QVariantAnimation* m_animation;
    double m_value;
    double m_target;
    double m_from = 0;
    bool m_spring = false;
    double m_response = 0.28;
    double m_damping = 0.72;
};
