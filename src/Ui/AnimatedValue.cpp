#include "Ui/AnimatedValue.h"

#include <QPointF>
#include <QVariantAnimation>
#include <cmath>

AnimatedValue::AnimatedValue(double initial, QObject* parent)
    : QObject(parent)
    , m_animation(new QVariantAnimation(this))
    , m_value(initial)
    , m_target(initial)
{
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    setEaseOut(120);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const double progress = v.toDouble();
        double eased = progress;
        if (m_spring)
            eased = springProgress(progress * m_animation->duration() / 1000.0, m_response, m_damping);
        set(m_from + (m_target - m_from) * eased);
    });
    connect(m_animation, &QVariantAnimation::finished, this, [this] { set(m_target); });
}

AnimatedValue::~AnimatedValue() = default;

void AnimatedValue::setEaseOut(int durationMs)
{
    m_spring = false;
    m_animation->setDuration(durationMs);
    m_animation->setEasingCurve(QEasingCurve::OutCubic);
}

void AnimatedValue::setEaseInOut(int durationMs)
{
    m_spring = false;
    m_animation->setDuration(durationMs);
    // The platform's standard ease-in-out curve.
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    m_animation->setEasingCurve(curve);
}

void AnimatedValue::setSpring(double response, double dampingFraction)
{
    m_spring = true;
    m_response = response;
    m_damping = dampingFraction;
    m_animation->setEasingCurve(QEasingCurve::Linear);
    m_animation->setDuration(int(std::ceil(springSettleTime(response, dampingFraction) * 1000.0)));
}

void AnimatedValue::animateTo(double target)
{
    if (target == m_target && (m_animation->state() == QAbstractAnimation::Running || m_value == target))
        return;
    m_animation->stop();
    m_from = m_value;
    m_target = target;
    m_animation->start();
}

void AnimatedValue::setImmediately(double value)
{
    m_animation->stop();
    m_target = value;
    set(value);
}

void AnimatedValue::set(double v)
{
    if (v == m_value)
        return;
    m_value = v;
    Q_EMIT valueChanged(v);
}

double AnimatedValue::springProgress(double t, double response, double zeta)
{
    if (t <= 0)
        return 0;
    const double omega = 2.0 * M_PI / response;
    if (zeta >= 1.0) // critically damped
        return 1.0 - std::exp(-omega * t) * (1.0 + omega * t);
    const double omegaD = omega * std::sqrt(1.0 - zeta * zeta);
    return 1.0 - std::exp(-zeta * omega * t) * (std::cos(omegaD * t) + zeta * omega / omegaD * std::sin(omegaD * t));
}

double AnimatedValue::springSettleTime(double response, double zeta)
{
    const double omega = 2.0 * M_PI / response;
    return std::log(1000.0) / (std::min(zeta, 1.0) * omega);
}
