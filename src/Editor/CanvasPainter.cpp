#include "Editor/CanvasPainter.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/CanvasGrips.h"
#include "Editor/EditorViewModel.h"
#include "Ui/Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {

// The picture scaled to the zoom is kept up to this many device pixels;
// beyond that (deep zooms) each layer build scales only the part on screen.
constexpr qint64 scaledPictureLimit = qint64(4096) * 2048;

// Dash lengths in view points for a pen of this width (Qt counts in widths).
QPen dashedPen(const QColor& color, double width, double dash, double gap)
{
    QPen pen(color, width, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    pen.setDashPattern({dash / width, gap / width});
    return pen;
}

QPen solidPen(const QColor& color, double width)
{
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    return pen;
}

void paintGrip(QPainter& p, QPointF at, bool round)
{
    const double side = CanvasGrips::handleSize + (round ? 1 : 0);
    const QRectF r(at.x() - side / 2, at.y() - side / 2, side, side);
    p.setPen(solidPen(Theme::accent(), 1.5));
    p.setBrush(Qt::white);
    if (round)
        p.drawEllipse(r);
    else
        p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

} // namespace

CanvasPainter::CanvasPainter(EditorViewModel& vm)
    : m_vm(vm)
{
}

void CanvasPainter::setContentSize(QSizeF size)
{
    if (size == m_contentSize)
        return;
    m_contentSize = size;
    m_layerValid = false;
}

void CanvasPainter::invalidatePicture()
{
    m_scaled = QImage();
    m_layerValid = false;
}

QRectF CanvasPainter::toView(const QRectF& imageRect) const
{
    return CanvasGrips::viewRect(imageRect, m_contentSize, m_vm.imagePixelSize());
}

void CanvasPainter::paint(QPainter& p, const QRect& exposed, const QRect& visible)
{
    const QRect content(QPoint(0, 0), m_contentSize.toSize().expandedTo(QSize(1, 1)));
    const QRect wanted = exposed & content;
    if (wanted.isEmpty())
        return;
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    if (!m_layerValid || m_layer.devicePixelRatioF() != dpr || !m_layerArea.contains(wanted))
        buildLayer((wanted | visible) & content, dpr);
    const QRectF source(QPointF(wanted.topLeft() - m_layerArea.topLeft()) * dpr, QSizeF(wanted.size()) * dpr);
    p.drawImage(QPointF(wanted.topLeft()), m_layer, source);

    p.save();
    p.setClipRect(wanted);
    if (const auto& draft = m_vm.draftAnnotation())
        paintAnnotation(p, *draft, false, wanted);
    paintMarquee(p);
    paintCropOverlay(p);
    p.restore();
}

void CanvasPainter::buildLayer(const QRect& area, qreal dpr)
{
    m_layer = QImage((QSizeF(area.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    m_layer.setDevicePixelRatio(dpr);
    m_layer.fill(Qt::transparent);
    m_layerArea = area;
    m_layerValid = true;
    ++m_layerBuilds;
    QPainter lp(&m_layer);
    lp.translate(-area.topLeft());
    lp.setClipRect(area);
    paintPicture(lp, area, dpr);
    const QSet<QUuid>& selected = m_vm.selectedIDs();
    for (const AnnotationObject& a : m_vm.state().annotations)
        paintAnnotation(lp, a, selected.contains(a.id), area);
}

void CanvasPainter::paintPicture(QPainter& p, const QRect& area, qreal dpr)
{
    const QImage& picture = m_vm.original();
    const QSizeF px = m_vm.imagePixelSize();
    if (picture.isNull() || !(px.width() > 0 && px.height() > 0))
        return;
    const auto fit = AnnotationGeometry::fittedTransform(px, m_contentSize);
    const QRectF target(fit.offset, px * fit.scale);
    const QSize device = (target.size() * dpr).toSize();
    // Shrinking: a copy scaled once by area averaging looks better than the
    // painter's bilinear sampling, and costs a plain copy per frame.
    if (fit.scale * dpr < 1 && qint64(device.width()) * device.height() <= scaledPictureLimit
        && !device.isEmpty()) {
        if (m_scaled.isNull() || m_scaledKey != picture.cacheKey() || m_scaledSize != target.size()
            || m_scaled.devicePixelRatioF() != dpr) {
            m_scaled = picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_scaled.setDevicePixelRatio(dpr);
            m_scaledKey = picture.cacheKey();
            m_scaledSize = target.size();
        }
        p.drawImage(target.topLeft(), m_scaled);
        return;
    }
    // Only the part of the picture under `area`, with a pixel of margin for the filter.
    const QRectF wanted((QPointF(area.topLeft()) - fit.offset) / fit.scale, QSizeF(area.size()) / fit.scale);
    const QRect source = wanted.toAlignedRect().adjusted(-1, -1, 1, 1) & picture.rect();
    if (source.isEmpty())
        return;
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(fit.offset + QPointF(source.topLeft()) * fit.scale, QSizeF(source.size()) * fit.scale),
                picture, source);
    p.restore();
}

std::optional<QRectF> CanvasPainter::paintExtent(const AnnotationObject& a) const
{
    if (a.points.isEmpty())
        return QRectF();
    QRectF r;
    switch (a.kind) {
    case AnnotationKind::text:
        return std::nullopt;
    case AnnotationKind::cursor: {
        // Click rings reach a little beyond the picture on its left and top.
        const double side = a.cursorSize.value_or(120);
        const QPointF c = a.points.first();
        r = a.boundingBox() | QRectF(c.x() - 0.3 * side, c.y() - 0.3 * side, 0.6 * side, 0.6 * side);
        break;
    }
    case AnnotationKind::speechBubble:
        r = a.boundingBox();
        if (a.points.size() == 2) // the default tail hangs below the box
            r.setBottom(r.bottom() + std::max(0.5 * r.height(), 28.0));
        break;
    default:
        r = a.boundingBox();
        break;
    }
    const double lw = std::isfinite(a.lineWidth) ? std::clamp(a.lineWidth, 0.0, 4000.0) : 0.0;
    // Arrow heads spread sideways beyond the end point by up to twice the width.
    const double m = std::max(4 * lw, 12.0) + lw;
    return r.adjusted(-m, -m, m, m);
}

void CanvasPainter::paintAnnotation(QPainter& p, const AnnotationObject& a, bool selected, const QRectF& area)
{
    if (const auto extent = paintExtent(a)) {
        if (!toView(*extent).adjusted(-8, -8, 8, 8).intersects(area))
            return;
    }
    const QSizeF px = m_vm.imagePixelSize();
    const auto fit = AnnotationGeometry::fittedTransform(px, m_contentSize);
    QTransform toViewPoints;
    toViewPoints.translate(fit.offset.x(), fit.offset.y());
    toViewPoints.scale(fit.scale, fit.scale);

    p.save();
    p.setTransform(toViewPoints, true);
    switch (a.kind) {
    case AnnotationKind::blur: {
        if (a.points.size() < 2)
            break;
        const QImage blurred = m_vm.blurredImage(a.blurStyle.value_or(BlurStyle::pixelated), a.blurAmount.value_or(18));
        if (blurred.isNull())
            break;
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setClipRect(AnnotationRenderer::area(a), Qt::IntersectClip);
        p.drawImage(QPointF(0, 0), blurred);
        break;
    }
    case AnnotationKind::magnifier:
        AnnotationRenderer::drawLoupe(a, m_vm.original(), p);
        break;
    case AnnotationKind::image:
        if (a.imageData)
            AnnotationRenderer::draw(a, p, m_pictures.image(a.id, *a.imageData));
        break;
    case AnnotationKind::text:
        // The entry field shows the words while they are edited.
        if (m_vm.editingTextID() != a.id)
            AnnotationRenderer::draw(a, p);
        break;
    case AnnotationKind::speechBubble:
        if (m_vm.editingBubbleID() == a.id) {
            AnnotationObject shape = a;
            shape.text.reset();
            AnnotationRenderer::draw(shape, p);
        } else {
            AnnotationRenderer::draw(a, p);
        }
        break;
    default:
        AnnotationRenderer::draw(a, p);
        break;
    }
    p.restore();
    if (selected && m_vm.state().selectedTool == EditorTool::select)
        paintSelection(p, a);
}

void CanvasPainter::paintSelection(QPainter& p, const AnnotationObject& a)
{
    QRectF outline;
    if (a.kind == AnnotationKind::speechBubble && a.points.size() >= 2)
        outline = AnnotationRenderer::area(a);
    else if (a.kind == AnnotationKind::text)
        outline = QRectF(a.points.value(0), AnnotationRenderer::textSize(a.text.value_or(QString()),
                                                                         a.fontSize.value_or(28), a.fontName));
    else
        outline = a.boundingBox();

    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath rounded;
    rounded.addRoundedRect(toView(outline), 3, 3);
    p.strokePath(rounded, dashedPen(Theme::withAlpha(Theme::accent(), 0.9), 1.5, 4, 3));
    if (m_vm.selectedIDs().size() == 1) {
        for (const CanvasGrips::Grip& g : CanvasGrips::handlePositions(a, m_contentSize, m_vm.imagePixelSize())) {
            const bool round = g.handle == DragHandle::arrowStart || g.handle == DragHandle::arrowEnd
                               || g.handle == DragHandle::tail || g.handle == DragHandle::tailBase;
            paintGrip(p, g.point, round);
        }
    }
    p.restore();
}

void CanvasPainter::paintMarquee(QPainter& p)
{
    const auto& marquee = m_vm.marqueeRect();
    if (!marquee)
        return;
    const QRectF v = toView(*marquee);
    p.save();
    p.fillRect(v, Theme::withAlpha(Theme::accent(), 0.12));
    p.setPen(dashedPen(Theme::withAlpha(Theme::accent(), 0.8), 1, 4, 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(v);
    p.restore();
}

void CanvasPainter::paintCropOverlay(QPainter& p)
{
    const auto& draft = m_vm.cropDraft();
    if (!draft)
        return;
    const QRectF k = toView(*draft);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Everything but the draft is dimmed.
    QPainterPath dim;
    dim.setFillRule(Qt::OddEvenFill);
    dim.addRect(QRectF(QPointF(0, 0), m_contentSize));
    dim.addRect(k);
    p.fillPath(dim, QColor(0, 0, 0, qRound(0.45 * 255)));
    p.setBrush(Qt::NoBrush);
    p.setPen(dashedPen(Qt::white, 1.5, 6, 4));
    p.drawRect(k);
    p.setPen(solidPen(Theme::accent(), 1));
    p.drawRect(k);
    for (const QPointF& corner : {k.topLeft(), k.topRight(), k.bottomLeft(), k.bottomRight()})
        paintGrip(p, corner, false);
    p.restore();
}

QRectF CanvasPainter::draftBounds() const
{
    const auto& draft = m_vm.draftAnnotation();
    if (!draft)
        return {};
    const auto extent = paintExtent(*draft);
    return extent ? toView(*extent).adjusted(-2, -2, 2, 2) : QRectF(QPointF(0, 0), m_contentSize);
}

QRectF CanvasPainter::marqueeBounds() const
{
    const auto& marquee = m_vm.marqueeRect();
    return marquee ? toView(*marquee).adjusted(-2, -2, 2, 2) : QRectF();
}
