#include "Editor/AnnotationGeometry.h"

#include <algorithm>
#include <cmath>

namespace AnnotationGeometry {

FittedTransform fittedTransform(QSizeF image, QSizeF view)
{
    const double w = image.width(), h = image.height(), vw = view.width(), vh = view.height();
    if (!(w > 0 && h > 0 && vw > 0 && vh > 0))
        return {};
    const double s = std::min(vw / w, vh / h);
    return {s, QPointF((vw - w * s) / 2, (vh - h * s) / 2)};
}

QPointF viewPoint(QPointF p, QSizeF image, QSizeF view)
{
    const FittedTransform t = fittedTransform(image, view);
    return p * t.scale + t.offset;
}

QPointF imagePoint(QPointF v, QSizeF image, QSizeF view)
{
    const FittedTransform t = fittedTransform(image, view);
    const QPointF p = (v - t.offset) / t.scale;
    return {std::max(std::min(p.x(), image.width()), 0.0), std::max(std::min(p.y(), image.height()), 0.0)};
}

std::pair<QPointF, QPointF> arrowHead(QPointF start, QPointF end, double lineWidth)
{
    double d = std::hypot(end.x() - start.x(), end.y() - start.y());
    if (!(d > 0.0001))
        d = 0.0001;
    const QPointF u = (end - start) / d;
    const double len = std::min(d, std::max(12.0, 4 * lineWidth));
    const double c = 0.8660254037844387, s = 0.5; // cos and sin of 30°
    const QPointF left(end.x() + len * (-u.x() * c + u.y() * s), end.y() + len * (-u.y() * c - u.x() * s));
    const QPointF right(end.x() + len * (-u.x() * c - u.y() * s), end.y() + len * (u.x() * s - u.y() * c));
    return {left, right};
}

double distance(QPointF p, QPointF a, QPointF b)
{
    const QPointF v = b - a;
    const double len2 = QPointF::dotProduct(v, v);
    if (!(len2 > 0))
        return std::hypot(p.x() - a.x(), p.y() - a.y());
    const double t = std::clamp(QPointF::dotProduct(p - a, v) / len2, 0.0, 1.0);
    const QPointF q = a + t * v;
    return std::hypot(p.x() - q.x(), p.y() - q.y());
}

} // namespace AnnotationGeometry

namespace SpeechBubble {

namespace {

// min(hi, max(lo, v)), but the middle of the range when it is empty.
double clampOrMiddle(double v, double lo, double hi)
{
    if (lo > hi)
        return (lo + hi) / 2;
    return std::min(hi, std::max(lo, v));
}

} // namespace

Opening openingProjection(const QRectF& rawBox, QPointF o, double radiusFrac)
{
    const QRectF box = rawBox.normalized();
    const double w = box.width(), h = box.height(), m = std::min(w, h);
    const double r = std::min(radiusFrac * m, m / 2 - 0.5);
    const double b = std::min(std::max(0.22 * m, 14.0), m / 2);
    const double k = std::max(r, 0.0) + b / 2 + 2;
    const double kx = std::min(k, w / 2 - 1), ky = std::min(k, h / 2 - 1);

    // Nearest side; ties in the order bottom, top, left, right.
    const std::array<std::pair<Edge, double>, 4> sides{{{Edge::bottom, box.bottom() - o.y()},
                                                         {Edge::top, o.y() - box.top()},
                                                         {Edge::left, o.x() - box.left()},
                                                         {Edge::right, box.right() - o.x()}}};
    auto nearest = sides[0];
    for (const auto& s : sides)
        if (s.second < nearest.second)
            nearest = s;

    Opening result;
    result.edge = nearest.first;
    result.base = b;
    switch (nearest.first) {
    case Edge::bottom:
    case Edge::top:
        result.point = {clampOrMiddle(o.x(), box.left() + kx, box.right() - kx),
                        nearest.first == Edge::bottom ? box.bottom() : box.top()};
        break;
    case Edge::left:
    case Edge::right:
        result.point = {nearest.first == Edge::left ? box.left() : box.right(),
                        clampOrMiddle(o.y(), box.top() + ky, box.bottom() - ky)};
        break;
    }
    return result;
}

QPainterPath spliced(const QRectF& rawBox, QPointF tip, QPointF opening, double radiusFrac)
{
    const QRectF box = rawBox.normalized();
    const double minX = box.left(), maxX = box.right(), minY = box.top(), maxY = box.bottom();
    const double m = std::min(box.width(), box.height());
    const double r = std::max(0.0, std::min(radiusFrac * m, m / 2 - 0.5));
    const Opening op = openingProjection(box, opening, radiusFrac);
    const double half = op.base / 2;
    const QPointF p = op.point;

    QPainterPath path;
    const auto tail = [&](Edge edge) {
        if (op.edge != edge)
            return;
        QPointF a, c;
        switch (edge) {
        case Edge::top: a = {p.x() - half, minY}, c = {p.x() + half, minY}; break;
        case Edge::right: a = {maxX, p.y() - half}, c = {maxX, p.y() + half}; break;
        case Edge::bottom: a = {p.x() + half, maxY}, c = {p.x() - half, maxY}; break;
        case Edge::left: a = {minX, p.y() + half}, c = {minX, p.y() - half}; break;
        }
        path.lineTo(a);
        path.lineTo(tip);
        path.lineTo(c);
    };
    // A quarter circle from the current point round one corner; Qt's angles
    // run counter-clockwise from three o'clock, so clockwise is -90.
    const auto corner = [&](double x, double y, double startAngle) {
        if (r > 0)
            path.arcTo(QRectF(x, y, 2 * r, 2 * r), startAngle, -90);
    };

    path.moveTo(minX + r, minY);
    tail(Edge::top);
    path.lineTo(maxX - r, minY);
    corner(maxX - 2 * r, minY, 90);
    tail(Edge::right);
    path.lineTo(maxX, maxY - r);
    corner(maxX - 2 * r, maxY - 2 * r, 0);
    tail(Edge::bottom);
    path.lineTo(minX + r, maxY);
    corner(minX, maxY - 2 * r, 270);
    tail(Edge::left);
    path.lineTo(minX, minY + r);
    corner(minX, minY, 180);
    path.closeSubpath();
    return path;
}

std::array<QRectF, 3> thoughtCircles(const QRectF& rawBox, QPointF tip)
{
    const QRectF box = rawBox.normalized();
    const double w = box.width(), h = box.height(), m = std::min(w, h);
    const QPointF c = box.center();
    const QPointF d = tip - c;
    const double n = std::hypot(d.x(), d.y());
    // A tip on the centre has no direction: hang the circles straight down.
    const QPointF u = n > 0.0001 ? d / n : QPointF(0, 1);
    // Half-sizes of at least half a pixel keep a flat box from dividing by zero.
    const double a = u.x() / std::max(w / 2, 0.5), b = u.y() / std::max(h / 2, 0.5);
    const double k = 1 / std::sqrt(a * a + b * b);
    const QPointF e = c + k * u;
    const QPointF v = tip - e;
    std::array<QRectF, 3> circles;
    const double ts[3] = {0.25, 0.5, 0.75};
    for (int i = 0; i < 3; ++i) {
        const double diameter = std::max(m * (1 - 0.7 * ts[i]) * 0.2, 4.0);
        const QPointF centre = e + ts[i] * v;
        circles[size_t(i)] = QRectF(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter);
    }
    return circles;
}

} // namespace SpeechBubble
