#include "Editor/SwatchButton.h"

#include "Ui/FocusRing.h"
#include "Ui/Theme.h"

#include <QPainter>

SwatchButton::SwatchButton(const RGBAColor& color, const QString& title, QWidget* parent)
    : QAbstractButton(parent), m_color(color)
{
    setFixedSize(side, side);
    FocusRing::setShape(this, FocusRing::capsule);
    setCursor(Qt::ArrowCursor);
    setTitle(title);
    setAccessibleDescription(color.toQColor().name(QColor::HexArgb));
    setCheckable(false);
}

void SwatchButton::setTitle(const QString& title)
{
    setToolTip(title);
    setAccessibleName(title);
}

void SwatchButton::setRinged(bool ringed)
{
    if (ringed == m_ringed)
        return;
    m_ringed = ringed;
    update();
}

void SwatchButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(ringRoom, ringRoom, circleSide, circleSide);
    p.setPen(Qt::NoPen);
    p.setBrush(m_color.toQColor());
    p.drawEllipse(circle);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Theme::primary(0.25, this), 1));
    p.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    if (m_ringed) {
        p.setPen(QPen(Theme::accent(this), 2));
        p.drawEllipse(circle.adjusted(-1, -1, 1, 1));
    }
}
