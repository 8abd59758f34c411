// Crop: the draft rectangle and its drags, the aspect presets, and cutting
// the picture with the annotations moved along.
#include "Editor/EditorViewModel.h"

#include <algorithm>
#include <cmath>

namespace {

QRectF spanned(double x0, double y0, double x1, double y1)
{
    return QRectF(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0));
}

} // namespace

void EditorViewModel::cropBegin(QPointF p, std::optional<DragHandle> handle)
{
    m_cropMoveLast.reset();
    m_cropResizeHandle.reset();
    if (handle && m_cropDraft) {
        m_cropDragMode = CropDragMode::resize;
        m_cropResizeHandle = handle;
    } else if (m_cropDraft && AnnotationHitTest::contains(*m_cropDraft, p)) {
        m_cropDragMode = CropDragMode::move;
        m_cropMoveLast = p;
    } else {
        m_cropDraft = QRectF(p, QSizeF(0, 0));
        m_cropDragMode = CropDragMode::newRect;
    }
    Q_EMIT cropChanged();
}

void EditorViewModel::cropUpdate(QPointF s, QPointF p)
{
    if (!m_cropDragMode)
        return;
    switch (*m_cropDragMode) {
    case CropDragMode::move:
        if (!m_cropDraft || !m_cropMoveLast)
            return;
        // May leave the picture: applying cuts only the part inside.
        m_cropDraft->translate(p - *m_cropMoveLast);
        m_cropMoveLast = p;
        break;
    case CropDragMode::newRect:
        m_cropDraft = constrainedCrop(spanned(s.x(), s.y(), p.x(), p.y()));
        break;
    case CropDragMode::resize: {
        if (!m_cropDraft || !m_cropResizeHandle)
            return;
        double minX = m_cropDraft->left(), minY = m_cropDraft->top();
        double maxX = m_cropDraft->right(), maxY = m_cropDraft->bottom();
        switch (*m_cropResizeHandle) {
        case DragHandle::topLeft: minX = p.x(), minY = p.y(); break;
        case DragHandle::topRight: maxX = p.x(), minY = p.y(); break;
        case DragHandle::bottomLeft: minX = p.x(), maxY = p.y(); break;
        case DragHandle::bottomRight: maxX = p.x(), maxY = p.y(); break;
        default: break;
        }
        // Past the opposite corner the rectangle flips.
        m_cropDraft = constrainedCrop(spanned(minX, minY, maxX, maxY));
        break;
    }
    }
    Q_EMIT cropChanged();
}

void EditorViewModel::endCropDrag()
{
    const bool changed = m_cropDragMode.has_value();
    m_cropDragMode.reset();
    m_cropResizeHandle.reset();
    m_cropMoveLast.reset();
    if (changed)
        Q_EMIT cropChanged();
}

void EditorViewModel::cancelCrop()
{
    const bool changed = m_cropDraft || m_cropDragMode;
    m_cropDraft.reset();
    m_cropDragMode.reset();
    m_cropResizeHandle.reset();
    m_cropMoveLast.reset();
    if (changed)
        Q_EMIT cropChanged();
}

void EditorViewModel::setCropAspect(CropAspect aspect)
{
    if (m_state.cropAspect != aspect) {
        m_state.cropAspect = aspect;
        Q_EMIT settingsChanged();
    }
    if (m_cropDraft) {
        m_cropDraft = constrainedCrop(*m_cropDraft);
        Q_EMIT cropChanged();
    }
}

QRectF EditorViewModel::constrainedCrop(const QRectF& rect) const
{
    const std::optional<double> r = ratio(m_state.cropAspect);
    if (!r || !(rect.width() > 1))
        return rect;
    // The width leads; the rectangle only shrinks to stay above the bottom
    // and left of the right edge.
    const double W = m_imagePixelSize.width(), H = m_imagePixelSize.height();
    const double x = rect.x(), y = rect.y();
    double w = rect.width(), h = w / *r;
    if (y + h > H) {
        h = std::max(H - y, 1.0);
        w = *r * h;
    }
    if (x + w > W) {
        w = std::max(W - x, 1.0);
        h = w / *r;
    }
    return QRectF(x, y, w, h);
}

bool EditorViewModel::applyCrop(const QRectF& c)
{
    const QRectF n = c.normalized();
    if (!std::isfinite(n.x()) || !std::isfinite(n.y()) || !std::isfinite(n.width()) || !std::isfinite(n.height()))
        return false;
    const double W = m_imagePixelSize.width(), H = m_imagePixelSize.height();
    // Whole pixels around the rectangle, inside the picture. Clipping before
    // rounding gives the same pixels and keeps huge values out of int.
    const double left = std::floor(std::max(n.left(), 0.0)), top = std::floor(std::max(n.top(), 0.0));
    const double right = std::ceil(std::min(n.right(), W)), bottom = std::ceil(std::min(n.bottom(), H));
    if (right - left < 8 || bottom - top < 8)
        return false;
    if (right - left >= W && bottom - top >= H)
        return false;
    const QRect r(int(left), int(top), int(right - left), int(bottom - top));
    if (m_original.isNull() || !m_original.rect().contains(r))
        return false;
    const QImage cut = m_original.copy(r);
    if (cut.isNull())
        return false;

    const QRectF inside(0, 0, r.width(), r.height());
    const QPointF shift(r.x(), r.y());
    QList<AnnotationObject> kept;
    kept.reserve(m_state.annotations.size());
    for (AnnotationObject a : std::as_const(m_state.annotations)) {
        for (QPointF& q : a.points)
            q -= shift;
        if (AnnotationHitTest::intersects(a.boundingBox(), inside))
            kept.append(std::move(a));
    }
    replaceImage(cut, kept);
    m_cropDraft.reset();
    m_cropDragMode.reset();
    m_cropResizeHandle.reset();
    m_cropMoveLast.reset();
    Q_EMIT cropChanged();
    setTool(EditorTool::select);
    return true;
}
