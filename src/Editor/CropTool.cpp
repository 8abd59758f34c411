#include "Editor/CropTool.h"

#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorViewModel.h"

#include <algorithm>
#include <cmath>

namespace {

QRectF spanned(double x0, double y0, double x1, double y1)
{
    return QRectF(std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0));
}

} // namespace

CropTool::CropTool(EditorViewModel& vm, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
{
}

void CropTool::setCropDraft(const std::optional<QRectF>& draft)
{
    if (draft == m_cropDraft)
        return;
    m_cropDraft = draft;
    Q_EMIT cropChanged();
}

void CropTool::cropBegin(QPointF p, std::optional<DragHandle> handle)
{
    const std::optional<QRectF> draft = m_cropDraft;
    endGesture();
    if (handle && draft) {
        m_cropDragMode = CropDragMode::resize;
        m_cropResizeHandle = handle;
    } else if (draft && AnnotationHitTest::contains(*draft, p)) {
        m_cropDragMode = CropDragMode::move;
        m_cropMoveLast = p;
    } else {
        m_cropDragMode = CropDragMode::newRect;
        setCropDraft(QRectF(p, QSizeF(0, 0)));
    }
}

void CropTool::cropUpdate(QPointF s, QPointF p)
{
    if (!m_cropDragMode)
        return;
    std::optional<QRectF> draft = m_cropDraft;
    switch (*m_cropDragMode) {
    case CropDragMode::move:
        if (!draft || !m_cropMoveLast)
            return;
        // May leave the picture: applying cuts only the part inside.
        draft->translate(p - *m_cropMoveLast);
        m_cropMoveLast = p;
        break;
    case CropDragMode::newRect:
        draft = constrainedCrop(spanned(s.x(), s.y(), p.x(), p.y()));
        break;
    case CropDragMode::resize: {
        if (!draft || !m_cropResizeHandle)
            return;
        double minX = draft->left(), minY = draft->top();
        double maxX = draft->right(), maxY = draft->bottom();
        switch (*m_cropResizeHandle) {
        case DragHandle::topLeft: minX = p.x(), minY = p.y(); break;
        case DragHandle::topRight: maxX = p.x(), minY = p.y(); break;
        case DragHandle::bottomLeft: minX = p.x(), maxY = p.y(); break;
        case DragHandle::bottomRight: maxX = p.x(), maxY = p.y(); break;
        default: break;
        }
        // Past the opposite corner the rectangle flips.
        draft = constrainedCrop(spanned(minX, minY, maxX, maxY));
        break;
    }
    }
    setCropDraft(draft);
}

void CropTool::endCropDrag()
{
    endGesture();
}

void CropTool::cancelCrop()
{
    endGesture();
    setCropDraft(std::nullopt);
}

void CropTool::endGesture()
{
    m_cropDragMode.reset();
    m_cropResizeHandle.reset();
    m_cropMoveLast.reset();
}

void CropTool::setCropAspect(CropAspect aspect)
{
    m_vm.storeCropAspect(aspect);
    if (const std::optional<QRectF> draft = m_cropDraft)
        setCropDraft(constrainedCrop(*draft));
}

QRectF CropTool::constrainedCrop(const QRectF& rect) const
{
    const std::optional<double> r = ratio(m_vm.state().cropAspect);
    if (!r || !(rect.width() > 1))
        return rect;
    // The width leads; the rectangle only shrinks to stay above the bottom
    // and left of the right edge.
    const double W = m_vm.imagePixelSize().width(), H = m_vm.imagePixelSize().height();
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

bool CropTool::applyCrop(const QRectF& c)
{
    const QRectF n = c.normalized();
    if (!std::isfinite(n.x()) || !std::isfinite(n.y()) || !std::isfinite(n.width()) || !std::isfinite(n.height()))
        return false;
    const double W = m_vm.imagePixelSize().width(), H = m_vm.imagePixelSize().height();
    // Whole pixels around the rectangle, inside the picture. Clipping before
    // rounding gives the same pixels and keeps huge values out of int.
    const double left = std::floor(std::max(n.left(), 0.0)), top = std::floor(std::max(n.top(), 0.0));
    const double right = std::ceil(std::min(n.right(), W)), bottom = std::ceil(std::min(n.bottom(), H));
    if (right - left < 8 || bottom - top < 8)
        return false;
    if (right - left >= W && bottom - top >= H)
        return false;
    const QRect r(int(left), int(top), int(right - left), int(bottom - top));
    const QImage& original = m_vm.original();
    if (original.isNull() || !original.rect().contains(r))
        return false;
    const QImage cut = original.copy(r);
    if (cut.isNull())
        return false;

    const QRectF inside(0, 0, r.width(), r.height());
    const QPointF shift(r.x(), r.y());
    QList<AnnotationObject> kept;
    kept.reserve(m_vm.state().annotations.size());
    for (AnnotationObject a : std::as_const(m_vm.state().annotations)) {
        for (QPointF& q : a.points)
            q -= shift;
        if (AnnotationHitTest::intersects(a.boundingBox(), inside))
            kept.append(std::move(a));
    }
    m_vm.replaceImage(cut, kept);
    endGesture();
    setCropDraft(std::nullopt);
    m_vm.setTool(EditorTool::select);
    return true;
}
