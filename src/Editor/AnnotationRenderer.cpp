#include "Editor/AnnotationRenderer.h"

#include "Editor/AnnotationFont.h"
#include "Editor/BlurAreaSet.h"
#include "Editor/Kinds/AnnotationInk.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImageReader>
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

} // namespace

QRectF AnnotationRenderer::area(const AnnotationObject& a)
{
    if (a.points.size() < 2)
        return {};
    const QPointF p0 = a.points.at(0), p1 = a.points.at(1);
    return QRectF(std::min(p0.x(), p1.x()), std::min(p0.y(), p1.y()), std::abs(p1.x() - p0.x()),
                  std::abs(p1.y() - p0.y()));
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
    return QSizeF(width, AnnotationInk::lineHeight(m) * std::max<qsizetype>(lines.size(), 1));
}

void AnnotationRenderer::paint(const AnnotationObject& annotation, QPainter& p, const AnnotationBackdrop& backdrop)
{
    if (const auto checked = drawable(annotation))
        AnnotationKinds::of(checked->kind).paint(*checked, p, backdrop);
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
    AnnotationBackdrop backdrop;
    backdrop.picture = &image;
    for (const AnnotationObject& a : usable) {
        const AnnotationKindBehaviour& kind = AnnotationKinds::of(a.kind);
        BlurAreaSet::Piece piece;
        if (kind.source() == AnnotationKindBehaviour::Source::blurredPicture)
            piece = blurAreas.piece(a);
        backdrop.blurred = &piece.image;
        backdrop.blurredOrigin = piece.origin;
        kind.paint(a, p, backdrop);
    }
    p.end();
    return out;
}
