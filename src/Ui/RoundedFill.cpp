#include "Ui/RoundedFill.h"

#include <QPainter>
#include <QPainterPath>

RoundedFill::RoundedFill(qreal radius, Colour colour, QWidget* parent)
    : QWidget(parent), m_radius(radius), m_colour(std::move(colour))
{
}

void RoundedFill::paint(QPainter& p, const QRectF& rect, qreal radius, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    p.fillPath(path, colour);
    p.restore();
}

void RoundedFill::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paint(p, QRectF(rect()), m_radius, m_colour(this));
}
