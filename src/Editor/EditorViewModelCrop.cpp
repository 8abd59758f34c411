// The crop draft and its gestures. Cutting the picture arrives with the crop
// tool's controls; until then a draft can be drawn, moved, resized and
// cancelled, and applying it leaves everything as it is.
#include "Editor/EditorViewModel.h"

#include <algorithm>
#include <cmath>

namespace {
QRectF spanned(QPointF a, QPointF b)
{
    return QRectF(std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
}
} // namespace

void EditorViewModel::cropBegin(QPointF p, std::optional<DragHandle> handle)
{
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

void EditorViewModel::cropUpdate(QPointF start, QPointF p)
{
    if (!m_cropDragMode)
        return;
    switch (*m_cropDragMode) {
    case CropDragMode::move:
        if (!m_cropDraft || !m_cropMoveLast)
            return;
        m_cropDraft->translate(p - *m_cropMoveLast);
        m_cropMoveLast = p;
        break;
    case CropDragMode::newRect:
        m_cropDraft = spanned(start, p);
        break;
    case CropDragMode::resize: {
        if (!m_cropDraft || !m_cropResizeHandle)
            return;
        QPointF min = m_cropDraft->topLeft(), max = m_cropDraft->bottomRight();
        switch (*m_cropResizeHandle) {
        case DragHandle::topLeft: min = p; break;
        case DragHandle::topRight: max.setX(p.x()), min.setY(p.y()); break;
        case DragHandle::bottomLeft: min.setX(p.x()), max.setY(p.y()); break;
        case DragHandle::bottomRight: max = p; break;
        default: break;
        }
        m_cropDraft = spanned(min, max);
        break;
    }
    }
    Q_EMIT cropChanged();
}

void EditorViewModel::endCropDrag()
{
    m_cropDragMode.reset();
    m_cropResizeHandle.reset();
    m_cropMoveLast.reset();
    Q_EMIT cropChanged();
}

void EditorViewModel::cancelCrop()
{
    m_cropDraft.reset();
    endCropDrag();
}

void EditorViewModel::applyCrop(const QRectF&)
{
}
