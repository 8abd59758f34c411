#include "Ui/RoundedFill.h"

#include <QPainter>
#include <QPainterPath>

RoundedFill::RoundedFill(qreal radius, Colour colour, QWidget* parent)
    : QWidget(parent), m_radius(radius), m_colour(std::move(colour))
{
}

void RoundedFill::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_radius, m_radius);
    p.fillPath(path, m_colour(this));
}
