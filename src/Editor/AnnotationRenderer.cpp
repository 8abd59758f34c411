#include "Editor/AnnotationRenderer.h"

#include "Editor/AnnotationFont.h"
#include "Editor/AnnotationGeometry.h"
#include "Editor/BlurAreaSet.h"
#include "Editor/CursorAssets.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace {

// Stored annotations come from a file the user can edit: numbers are made
// finite and kept within bounds far beyond anything the editor produces, so
// a stray value cannot make painting or allocation explode.
constexpr double CoordinateLimit = 1e7;
constexpr double SizeLimit = 4000;
constexpr int EmbeddedImageBudgetMB = 256;

void bound(std::optional<double>& v, double lo, double hi)
{
    if (v)
        v = std::isfinite(*v) ? std::optional(std::clamp(*v, lo, hi)) : std::nullopt;
}

std::optional<AnnotationObject> drawable(const AnnotationObject& a)
{
    for (const QPointF& p : a.points)
        if (!(std::abs(p.x()) <= CoordinateLimit && std::abs(p.y()) <= CoordinateLimit))
            return std::nullopt;
    AnnotationObject d = a;
    d.lineWidth = std::isfinite(a.lineWidth) ? std::clamp(a.lineWidth, 0.0, SizeLimit) : 1.0;
    bound(d.fontSize, 1, SizeLimit);
    bound(d.badgeSize, 0, SizeLimit);
    bound(d.cursorSize, 0, SizeLimit);
    bound(d.highlightSize, 0, SizeLimit);
    bound(d.highlightOpacity, 0, 1);
    bound(d.cornerRadius, 0, CoordinateLimit);
    bound(d.magnification, 0, 100);
    return d;
}

QColor colorOf(const RGBAColor& c)
{
    const auto unit = [](double v) { return std::isfinite(v) ? float(std::clamp(v, 0.0, 1.0)) : 0.f; };
    return QColor::fromRgbF(unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha));
}

QPen strokePen(const QColor& color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Dashes of L = max(2.4 w, 4) and gaps of 0.85 L, absolute pixels. Qt counts
// dash lengths in pen widths (a zero-width pen draws one pixel wide).
QPen dashedIfAsked(const AnnotationObject& a, QPen pen)
{
    if (a.dashed.value_or(false)) {
        const double w = a.lineWidth > 0 ? a.lineWidth : 1.0;
        const double len = std::max(2.4 * a.lineWidth, 4.0);
        pen.setDashPattern({len / w, 0.85 * len / w});
        pen.setDashOffset(0);
    }
    return pen;
}

double lineHeight(const QFontMetricsF& m)
{
    return m.ascent() + m.descent() + m.leading();
}

// Lines left-aligned from `origin`, each baseline one ascent below its top;
// empty lines still take their height. Never wrapped or clipped.
void drawLines(QPainter& p, const QString& text, QPointF origin, const QFont& font, const QColor& color)
{
    p.setFont(font);
    p.setPen(color);
    const QFontMetricsF m(p.font(), p.device());
    double y = origin.y();
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.isEmpty())
            p.drawText(QPointF(origin.x(), y + m.ascent()), line);
        y += lineHeight(m);
    }
}

void drawText(const AnnotationObject& a, QPainter& p)
{
    if (a.points.isEmpty() || !a.text || a.text->isEmpty())
        return;
    const QFont font = AnnotationFont::resolve(a.fontName, a.fontSize.value_or(28), *p.device());
    drawLines(p, *a.text, a.points.first(), font, colorOf(a.color));
}

void drawBadge(const AnnotationObject& a, QPainter& p)
{
    if (a.points.isEmpty())
        return;
    const QPointF c = a.points.first();
    const double d = a.badgeSize.value_or(44);
    p.setPen(Qt::NoPen);
    p.setBrush(colorOf(a.color));
    p.drawEllipse(c, d / 2, d / 2);
    p.setBrush(Qt::NoBrush);

    const QString label = QString::number(a.badgeNumber.value_or(1));
    p.setFont(AnnotationFont::bold(a.fontSize.value_or(std::max(d / 2, 12.0)), *p.device()));
    const QFontMetricsF m(p.font(), p.device());
    p.setPen(a.badgeTextColor ? colorOf(*a.badgeTextColor) : QColor(Qt::white));
    // Centred both ways on the disc by the line's typographic extent.
    p.drawText(QPointF(c.x() - m.horizontalAdvance(label) / 2, c.y() + (m.ascent() - m.descent()) / 2), label);
}

void drawSpeechBubble(const AnnotationObject& a, QPainter& p)
{
    if (a.points.size() < 2)
        return;
    const QRectF box = AnnotationRenderer::area(a);
    const double w = box.width(), h = box.height();
    // Without stored tail points the tail hangs under the left part of the box.
    const QPointF tip = a.points.size() > 2 ? a.points.at(2)
                                            : QPointF(box.left() + 0.24 * w, box.bottom() + std::max(0.5 * h, 28.0));
    const QPointF base = a.points.size() > 3 ? a.points.at(3) : QPointF(box.left() + 0.28 * w, box.bottom());
    const SpeechBubbleStyle style = a.bubbleStyle.value_or(SpeechBubbleStyle::rounded);

    QPainterPath outline;
    QList<QRectF> circles;
    switch (style) {
    case SpeechBubbleStyle::thought: {
        outline.addEllipse(box);
        for (const QRectF& r : SpeechBubble::thoughtCircles(box, tip))
            circles.append(r);
        break;
    }
    case SpeechBubbleStyle::oval:
        outline = SpeechBubble::spliced(box, tip, base, 0.5);
        break;
    case SpeechBubbleStyle::rectangle:
        outline = SpeechBubble::spliced(box, tip, base, 0.05);
        break;
    case SpeechBubbleStyle::rounded:
        outline = SpeechBubble::spliced(box, tip, base, 0.16);
        break;
    }
    outline.setFillRule(Qt::WindingFill);
    p.fillPath(outline, Qt::white);
    for (const QRectF& r : circles) {
        QPainterPath circle;
        circle.addEllipse(r);
        p.fillPath(circle, Qt::white);
    }
    const QPen pen = strokePen(colorOf(a.color), std::max(a.lineWidth, 1.5));
    p.strokePath(outline, pen);
    for (const QRectF& r : circles) {
        QPainterPath circle;
        circle.addEllipse(r);
        p.strokePath(circle, pen);
    }

    if (a.text && !a.text->isEmpty()) {
        const double pad = std::max(0.16 * std::min(w, h), 8.0);
        const QFont font = AnnotationFont::resolve(a.fontName, a.fontSize.value_or(22), *p.device());
        drawLines(p, *a.text, box.topLeft() + QPointF(pad, pad), font, QColor::fromRgbF(0.11f, 0.11f, 0.11f));
    }
}

void drawCursor(const AnnotationObject& a, QPainter& p)
{
    if (a.points.isEmpty())
        return;
    const QPointF at = a.points.first();
    const QString style = a.cursorStyle.value_or(QStringLiteral("solid_arrow"));
    const double side = a.cursorSize.value_or(120);
    const QColor tint = colorOf(a.highlightColor.value_or(a.color));

    // A soft disc that fades out towards its rim.
    const double radius = a.highlightSize.value_or(60);
    if (a.highlightEnabled.value_or(false) && radius > 0) {
        QColor inner = tint, outer = tint;
        inner.setAlphaF(float(a.highlightOpacity.value_or(0.5)));
        outer.setAlphaF(0);
        QRadialGradient glow(at, radius);
        glow.setColorAt(0, inner);
        glow.setColorAt(1, outer);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(at, radius, radius);
        p.setBrush(Qt::NoBrush);
    }
    if (CursorAssets::isClickStyle(style))
        for (const CursorAssets::ClickRing& ring : CursorAssets::clickRings(side)) {
            QColor c = tint;
            c.setAlphaF(float(c.alphaF() * ring.opacity));
            p.setPen(strokePen(c, ring.width));
            p.drawEllipse(at, ring.radius, ring.radius);
        }

    QImage picture = CursorAssets::image(style);
    if (picture.isNull() || side <= 0)
        return;
    const QPointF hot = CursorAssets::hotspot(style);
    const QRectF square(at.x() - hot.x() * side, at.y() - hot.y() * side, side, side);
    // Bilinear sampling alone aliases when shrinking a lot: shrink by area first.
    const double onDevice = side * std::sqrt(std::abs(p.transform().determinant()));
    if (onDevice < 0.7 * picture.width() && onDevice >= 1) {
        const int n = int(std::ceil(onDevice));
        picture = picture.scaled(n, n, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    p.drawImage(square, picture);
}

void drawEmbeddedImage(const AnnotationObject& a, QPainter& p)
{
    const QRectF r = AnnotationRenderer::area(a);
    if (a.points.size() < 2 || !a.imageData)
        return;
    const QImage picture = AnnotationRenderer::decodeEmbeddedImage(*a.imageData);
    if (picture.isNull())
        return;
    // Stretched to the area; the picture's own aspect ratio is not kept.
    p.drawImage(r, picture);
}

void drawBlurArea(const AnnotationObject& a, const BlurAreaSet& areas, QPainter& p)
{
    const BlurAreaSet::Piece piece = areas.piece(a);
    if (piece.image.isNull())
        return;
    p.save();
    p.setClipRect(AnnotationRenderer::area(a), Qt::IntersectClip);
    p.drawImage(piece.origin, piece.image);
    p.restore();
}

} // namespace

QRectF AnnotationRenderer::area(const AnnotationObject& a)
{
    if (a.points.size() < 2)
        return {};
    const QPointF p0 = a.points.at(0), p1 = a.points.at(1);
    return QRectF(std::min(p0.x(), p1.x()), std::min(p0.y(), p1.y()), std::abs(p1.x() - p0.x()),
                  std::abs(p1.y() - p0.y()));
}

QPainterPath AnnotationRenderer::smoothedPath(const QList<QPointF>& pts)
{
    QPainterPath path;
    if (pts.isEmpty())
        return path;
    path.moveTo(pts.first());
    if (pts.size() == 2) {
        path.lineTo(pts.at(1));
        return path;
    }
    for (qsizetype i = 1; i + 1 < pts.size(); ++i)
        path.quadTo(pts.at(i), (pts.at(i) + pts.at(i + 1)) / 2);
    if (pts.size() > 2)
        path.lineTo(pts.last());
    return path;
}

QImage AnnotationRenderer::decodeEmbeddedImage(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(EmbeddedImageBudgetMB);
    reader.setAutoTransform(true);
    return reader.read();
}

QSizeF AnnotationRenderer::textSize(const QString& text, double fontSize, const std::optional<QString>& fontName)
{
    const QPaintDevice& device = AnnotationFont::measuringDevice();
    const QFontMetricsF m(AnnotationFont::resolve(fontName, fontSize, device), &device);
    const QStringList lines = text.split(QLatin1Char('\n'));
    double width = 0;
    for (const QString& line : lines)
        width = std::max(width, m.horizontalAdvance(line.isEmpty() ? QStringLiteral(" ") : line));
    return QSizeF(width, lineHeight(m) * std::max<qsizetype>(lines.size(), 1));
}

void AnnotationRenderer::draw(const AnnotationObject& annotation, QPainter& p)
{
    const auto checked = drawable(annotation);
    if (!checked)
        return;
    const AnnotationObject& a = *checked;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setBrush(Qt::NoBrush);
    const QPen pen = strokePen(colorOf(a.color), a.lineWidth);
    switch (a.kind) {
    case AnnotationKind::arrow:
    case AnnotationKind::line: {
        if (a.points.size() < 2)
            break;
        const QPointF p0 = a.points.at(0), p1 = a.points.at(1);
        p.setPen(dashedIfAsked(a, pen));
        p.drawLine(p0, p1);
        if (a.kind == AnnotationKind::arrow) {
            // An open V, always solid.
            const auto [left, right] = AnnotationGeometry::arrowHead(p0, p1, a.lineWidth);
            p.setPen(pen);
            const QPointF head[] = {left, p1, right};
            p.drawPolyline(head, 3);
        }
        break;
    }
    case AnnotationKind::rectangle:
    case AnnotationKind::ellipse: {
        if (a.points.size() < 2)
            break;
        const QRectF r = area(a);
        QPainterPath shape;
        const double radius = std::min(std::min(r.width(), r.height()) / 2, a.cornerRadius.value_or(0));
        if (a.kind == AnnotationKind::ellipse)
            shape.addEllipse(r);
        else if (radius > 0)
            shape.addRoundedRect(r, radius, radius);
        else
            shape.addRect(r);
        shape.setFillRule(Qt::WindingFill);
        if (a.fillColor)
            p.fillPath(shape, colorOf(*a.fillColor));
        p.strokePath(shape, dashedIfAsked(a, pen));
        break;
    }
    case AnnotationKind::freehand:
        if (a.points.size() >= 2)
            p.strokePath(smoothedPath(a.points), pen);
        break;
    case AnnotationKind::text:
        drawText(a, p);
        break;
    case AnnotationKind::badge:
        drawBadge(a, p);
        break;
    case AnnotationKind::speechBubble:
        drawSpeechBubble(a, p);
        break;
    case AnnotationKind::image:
        drawEmbeddedImage(a, p);
        break;
    case AnnotationKind::cursor:
        drawCursor(a, p);
        break;
    case AnnotationKind::blur:
    case AnnotationKind::magnifier:
        break;
    }
    p.restore();
}

void AnnotationRenderer::drawLoupe(const AnnotationObject& annotation, const QImage& source, QPainter& p)
{
    const auto checked = drawable(annotation);
    if (!checked || checked->points.size() < 2 || source.isNull())
        return;
    const AnnotationObject& a = *checked;
    const QRectF r = area(a);
    const QPointF c = r.center();
    const double zoom = std::max(a.magnification.value_or(2.2), 1.2);
    QPainterPath lens;
    lens.addEllipse(r);

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setClipPath(lens, Qt::IntersectClip);
    // The whole picture scaled by the zoom about the loupe's centre, so the
    // pixel under the centre stays put; only the part that lands in the loupe is drawn.
    const QRect from = QRectF(c + (r.topLeft() - c) / zoom, r.size() / zoom)
                           .toAlignedRect()
                           .adjusted(-2, -2, 2, 2)
                           .intersected(source.rect());
    if (!from.isEmpty()) {
        const QRectF to(c + (QPointF(from.topLeft()) - c) * zoom, QSizeF(from.size()) * zoom);
        p.drawImage(to, source, from);
    }
    p.restore();

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    p.setPen(strokePen(colorOf(a.color), std::max(a.lineWidth, 2.0)));
    p.drawEllipse(r);
    p.restore();
}

QImage AnnotationRenderer::render(const QImage& image, const QList<AnnotationObject>& annotations)
{
    if (image.width() < 1 || image.height() < 1)
        return image;
    // `image` itself stays untouched: blur areas and loupes read it. An opaque
    // RGB32 picture already has the premultiplied layout: a plain copy will do.
    QImage out = image.format() == QImage::Format_RGB32 ? image.copy()
                                                        : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (out.format() == QImage::Format_RGB32)
        out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return image;
    out.setDevicePixelRatio(1);
    QList<AnnotationObject> usable;
    usable.reserve(annotations.size());
    for (const AnnotationObject& a : annotations)
        if (const auto d = drawable(a))
            usable.append(*d);
    const BlurAreaSet blurAreas(image, usable);
    QPainter p(&out);
    if (!p.isActive())
        return image;
    for (const AnnotationObject& a : usable) {
        switch (a.kind) {
        case AnnotationKind::blur:
            drawBlurArea(a, blurAreas, p);
            break;
        case AnnotationKind::magnifier:
            drawLoupe(a, image, p);
            break;
        default:
            draw(a, p);
            break;
        }
    }
    p.end();
    return out;
}
