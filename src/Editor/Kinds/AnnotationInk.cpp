#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

QColor AnnotationInk::colour(const RGBAColor& c)
{
    const auto unit = [](double v) { return std::isfinite(v) ? float(std::clamp(v, 0.0, 1.0)) : 0.f; };
    return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha));
}

QPen AnnotationInk::stroke(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen AnnotationInk::dashedIfAsked(const AnnotationObject& a, QPen pen)
{
    if (a.dashed.value_or(false)) {
        // Absolute pixels; Qt counts dash lengths in pen widths (a zero-width
        // pen draws one pixel wide).
        const double w = a.lineWidth > 0 ? a.lineWidth : 1.0;
        const double len = std::max(2.4 * a.lineWidth, 4.0);
        pen.setDashPattern({len / w, 0.85 * len / w});
        pen.setDashOffset(0);
    }
    return pen;
}

double AnnotationInk::lineHeight(const QFontMetricsF& m)
{
    return m.ascent() + m.descent() + m.leading();
}

void AnnotationInk::drawLines(QPainter& p, const QString& text, QPointF origin, const QFont& font, const QColor& colour)
{
    p.setFont(font);
    p.setPen(colour);
    const QFontMetricsF m(p.font(), p.device());
    double y = origin.y();
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty())
            p.drawText(QPointF(origin.x(), y + m.ascent()), line);
        y += lineHeight(m);
    }
}

void AnnotationInk::fillAndStroke(const AnnotationObject& a, QPainter& p, QPainterPath shape)
{
    shape.setFillRule(Qt::WindingFill);
    if (a.fillColor)
        p.fillPath(shape, colour(*a.fillColor));
    p.strokePath(shape, dashedIfAsked(a, stroke(colour(a.color), a.lineWidth)));
}

AnnotationInk::ShapeState::ShapeState(QPainter& p)
    : m_painter(p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setBrush(Qt::NoBrush);
}

AnnotationInk::ShapeState::~ShapeState()
{
    m_painter.restore();
}
