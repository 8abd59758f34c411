#include "Ui/Stepper.h"

#include "Ui/FocusRing.h"
#include "Ui/Theme.h"

#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

class StepperAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit StepperAccessible(Stepper* stepper)
        : QAccessibleWidget(stepper, QAccessible::SpinBox)
    {
    }
    Stepper* stepper() const { return static_cast<Stepper*>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return stepper()->currentText();
        return QAccessibleWidget::text(t);
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return stepper()->value(); }
    void setCurrentValue(const QVariant& value) override { stepper()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return stepper()->maximum(); }
    QVariant minimumValue() const override { return stepper()->minimum(); }
    QVariant minimumStepSize() const override { return 1; }

    QStringList actionNames() const override { return {increaseAction(), decreaseAction()}; }
    void doAction(const QString& name) override
    {
        if (name == increaseAction())
            stepper()->stepUp();
        else if (name == decreaseAction())
            stepper()->stepDown();
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("Stepper") && object && object->isWidgetType())
        return new StepperAccessible(static_cast<Stepper*>(object));
    return nullptr;
}

} // namespace

Stepper::Stepper(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = (QAccessible::installFactory(&factory), true);
    Q_UNUSED(installed);
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::TabFocus);
    FocusRing::setShape(this, 5);
}

void Stepper::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = qMax(minimum, maximum);
    setValue(m_value);
}

void Stepper::setValue(int value)
{
    const int clamped = qBound(m_min, value, m_max);
    if (clamped == m_value)
        return;
    m_value = clamped;
    update();
    Q_EMIT valueChanged(clamped);
    QAccessibleValueChangeEvent event(this, clamped);
    QAccessible::updateAccessibility(&event);
}

QString Stepper::currentText() const { return valueText ? valueText(m_value) : QString::number(m_value); }

QRectF Stepper::upperHalf() const { return QRectF(0, 0, width(), height() / 2.0); }
QRectF Stepper::lowerHalf() const { return QRectF(0, height() / 2.0, width(), height() / 2.0); }

void Stepper::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(hasFocus() ? Theme::accent(this) : Theme::primary(0.18, this), 1));
    p.setBrush(Theme::textBackground(this));
    p.drawRoundedRect(box, 5, 5);
    p.setPen(QPen(Theme::primary(0.1, this), 1));
    p.drawLine(QPointF(box.left() + 3, box.center().y()), QPointF(box.right() - 3, box.center().y()));

    auto chevron = [&](const QRectF& half, bool up, bool enabled) {
        const QPointF c = half.center();
        const qreal w = 3.5;
        const qreal h = up ? -2 : 2;
        QPainterPath path;
        path.moveTo(c.x() - w, c.y() - h / 2);
        path.lineTo(c.x(), c.y() + h / 2);
        path.lineTo(c.x() + w, c.y() - h / 2);
        p.setPen(QPen(enabled ? Theme::primary(0.8, this) : Theme::tertiary(this), 1.4, Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    };
    chevron(upperHalf(), true, isEnabled() && m_value < m_max);
    chevron(lowerHalf(), false, isEnabled() && m_value > m_min);
}

void Stepper::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (upperHalf().contains(e->position()))
        stepUp();
    else if (lowerHalf().contains(e->position()))
        stepDown();
}

void Stepper::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Up:
        stepUp();
        return;
    case Qt::Key_Down:
        stepDown();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}
