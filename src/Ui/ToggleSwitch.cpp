#include "Ui/ToggleSwitch.h"

#include "Ui/AnimatedValue.h"
#include "Ui/FocusRing.h"
#include "Ui/Theme.h"

#include <QPainter>

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QAbstractButton(parent)
    , m_position(new AnimatedValue(0.0, this))
{
    setCheckable(true);
    FocusRing::setShape(this, FocusRing::capsule);
    setFixedSize(sizeHint());
    m_position->setEaseOut(150);
    connect(m_position, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (isVisible())
            m_position->animateTo(on ? 1.0 : 0.0);
        else
            m_position->setImmediately(on ? 1.0 : 0.0);
    });
}


void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double t = m_position->value();
    QColor off = Theme::primary(0.12, this);
    QColor on = Theme::accent(this);
    QColor track = QColor::fromRgbF(float(off.redF() + (on.redF() - off.redF()) * t),
                                    float(off.greenF() + (on.greenF() - off.greenF()) * t),
                                    float(off.blueF() + (on.blueF() - off.blueF()) * t),
                                    float(off.alphaF() + (on.alphaF() - off.alphaF()) * t));
    if (!isEnabled())
        track = Theme::withAlpha(track, 0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(track);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    const qreal d = r.height() - 4;
    const QRectF knob(r.left() + 2 + t * (r.width() - d - 4), r.top() + 2, d, d);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(knob.translated(0, 0.5));
    p.setBrush(Qt::white);
    p.drawEllipse(knob);
}
