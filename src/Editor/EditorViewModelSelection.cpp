// Selection, hit testing, moving, handle drags and deletion.
#include "Editor/CursorAssets.h"
#include "Editor/EditorViewModel.h"

#include <algorithm>
#include <cmath>
#include <tuple>

std::optional<qsizetype> EditorViewModel::topHit(QPointF at) const
{
    return m_hitTest.topHit(m_state.annotations, at);
}

std::optional<QUuid> EditorViewModel::annotationAt(QPointF at) const
{
    if (const auto i = topHit(at))
        return m_state.annotations[*i].id;
    return std::nullopt;
}

qsizetype EditorViewModel::indexOf(const QUuid& id) const
{
    const auto& list = m_state.annotations;
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].id == id)
            return i;
    return -1;
}

void EditorViewModel::setMarquee(std::optional<QRectF> rect)
{
    if (rect == m_marqueeRect)
        return;
    m_marqueeRect = rect;
    Q_EMIT marqueeChanged();
}

void EditorViewModel::beginSelectionDrag(QPointF p)
{
    // A press away from the words being edited finishes that edit.
    Q_EMIT selectionDragAboutToBegin(p);

    m_isDraggingSelection = true;
    m_didPushMoveUndo = false;
    m_marqueeStart.reset();
    setMarquee(std::nullopt);
    if (const auto hit = annotationAt(p)) {
        // A press on part of a multiple selection keeps the whole selection.
        if (!m_selectedIDs.contains(*hit))
            setSelectedAnnotationID(*hit);
        m_movingAnnotationID = *hit;
        m_moveLastPoint = p;
    } else {
        setSelectedAnnotationID(std::nullopt);
        m_movingAnnotationID.reset();
        m_moveLastPoint = p;
        m_marqueeStart = p;
        setMarquee(QRectF(p, QSizeF(0, 0)));
    }
}

void EditorViewModel::updateSelectionDrag(QPointF p)
{
    if (m_marqueeStart) {
        const QPointF s = *m_marqueeStart;
        setMarquee(QRectF(std::min(p.x(), s.x()), std::min(p.y(), s.y()), std::abs(p.x() - s.x()),
                          std::abs(p.y() - s.y())));
        return;
    }
    if (!m_movingAnnotationID || !m_moveLastPoint)
        return;
    const QPointF offset = p - *m_moveLastPoint;
    if (offset.x() == 0 && offset.y() == 0)
        return;
    if (!m_didPushMoveUndo) {
        pushUndo();
        m_didPushMoveUndo = true;
    }
    QSet<QUuid> moving = m_selectedIDs.contains(*m_movingAnnotationID) ? m_selectedIDs
                                                                       : QSet<QUuid>{*m_movingAnnotationID};
    // One pass; only the first annotation with an identifier moves.
    for (AnnotationObject& a : m_state.annotations) {
        if (moving.isEmpty())
            break;
        if (moving.remove(a.id))
            for (QPointF& q : a.points)
                q += offset;
    }
    m_moveLastPoint = p;
    Q_EMIT annotationsChanged();
}

void EditorViewModel::beginHandleDrag(DragHandle handle, QUuid annotationID)
{
    m_activeHandle = handle;
    m_handleAnnotationID = annotationID;
    m_didPushHandleUndo = false;
    m_handleAnchor.reset();
}

bool EditorViewModel::changeDuringDrag(qsizetype index, const AnnotationObject& changed, bool& didPushUndo)
{
    if (changed == m_state.annotations[index])
        return false;
    if (!didPushUndo) {
        pushUndo();
        didPushUndo = true;
    }
    m_state.annotations[index] = changed;
    Q_EMIT annotationsChanged();
    return true;
}

void EditorViewModel::updateHandleDrag(QPointF p)
{
    if (!m_activeHandle || !m_handleAnnotationID)
        return;
    const qsizetype index = indexOf(*m_handleAnnotationID);
    if (index < 0)
        return;
    // The undo step is taken with the first real change, so a click on a grip
    // leaves no empty step behind.
    AnnotationObject a = m_state.annotations[index];
    if (a.kind == AnnotationKind::cursor) {
        resizeCursor(a, *m_activeHandle, p);
        changeDuringDrag(index, a, m_didPushHandleUndo);
        if (a.cursorSize && m_state.cursorSize != *a.cursorSize) {
            // The next cursor placed takes the new size.
            m_state.cursorSize = *a.cursorSize;
            Q_EMIT settingsChanged();
        }
        return;
    }
    if (a.points.size() < 2)
        return;
    switch (*m_activeHandle) {
    case DragHandle::topLeft:
    case DragHandle::topRight:
    case DragHandle::bottomLeft:
    case DragHandle::bottomRight:
        // The opposite corner is taken once per drag, so dragging on after
        // the rectangle has flipped keeps it in place.
        if (!m_handleAnchor)
            m_handleAnchor = oppositeCorner(a, *m_activeHandle);
        a.points[0] = *m_handleAnchor;
        a.points[1] = p;
        break;
    case DragHandle::arrowStart:
        a.points[0] = p;
        break;
    case DragHandle::arrowEnd:
        a.points[1] = p;
        break;
    case DragHandle::tail:
        if (a.points.size() >= 3)
            a.points[2] = p;
        break;
    case DragHandle::tailBase:
        if (a.points.size() >= 4)
            a.points[3] = p;
        break;
    case DragHandle::body:
        break;
    }
    changeDuringDrag(index, a, m_didPushHandleUndo);
}

std::optional<QPointF> EditorViewModel::oppositeCorner(const AnnotationObject& a, DragHandle handle)
{
    const QRectF r = QRectF(a.points.value(0), a.points.value(1)).normalized();
    switch (handle) {
    case DragHandle::topLeft: return r.bottomRight();
    case DragHandle::topRight: return r.bottomLeft();
    case DragHandle::bottomLeft: return r.topRight();
    case DragHandle::bottomRight: return r.topLeft();
    default: return std::nullopt;
    }
}

void EditorViewModel::resizeCursor(AnnotationObject& a, DragHandle handle, QPointF p)
{
    if (a.points.isEmpty())
        return;
    const QPointF hotspot = CursorAssets::hotspots().value(
        CursorAssets::baseStyle(a.cursorStyle.value_or(QString())),
        QPointF(CursorAssets::defaultHotspotX, CursorAssets::defaultHotspotY));
    const double hx = hotspot.x(), hy = hotspot.y();
    // Where the dragged corner sits relative to the hotspot, in picture sides.
    double fx = 0, fy = 0;
    switch (handle) {
    case DragHandle::topLeft: fx = -hx, fy = -hy; break;
    case DragHandle::topRight: fx = 1 - hx, fy = -hy; break;
    case DragHandle::bottomLeft: fx = -hx, fy = 1 - hy; break;
    case DragHandle::bottomRight: fx = 1 - hx, fy = 1 - hy; break;
    default: return;
    }
    const QPointF hot = a.points[0];
    const double alongX = std::abs(fx) > 0.01 ? std::abs((p.x() - hot.x()) / fx) : 0;
    const double alongY = std::abs(fy) > 0.01 ? std::abs((p.y() - hot.y()) / fy) : 0;
    a.cursorSize = std::clamp(std::max(alongX, alongY), 5.0, 240.0);
}

void EditorViewModel::endSelectionDrag()
{
    if (m_marqueeRect) {
        const QRectF m = *m_marqueeRect;
        if (m.width() >= 3 || m.height() >= 3) {
            QSet<QUuid> inside;
            for (const AnnotationObject& a : std::as_const(m_state.annotations))
                if (AnnotationHitTest::intersects(a.boundingBox(), m))
                    inside.insert(a.id);
            setSelectedIDs(inside);
        }
        setMarquee(std::nullopt);
        m_marqueeStart.reset();
    }
    m_isDraggingSelection = false;
    m_movingAnnotationID.reset();
    m_moveLastPoint.reset();
    m_didPushMoveUndo = false;
    m_activeHandle.reset();
    m_handleAnnotationID.reset();
    m_didPushHandleUndo = false;
    m_handleAnchor.reset();
}

void EditorViewModel::deleteSelected()
{
    if (m_selectedIDs.isEmpty())
        return;
    pushUndo();
    m_state.annotations.removeIf([&](const AnnotationObject& a) { return m_selectedIDs.contains(a.id); });
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}

void EditorViewModel::adoptCursorStateIfNeeded()
{
    const auto id = selectedAnnotationID();
    if (!id)
        return;
    const qsizetype i = indexOf(*id);
    if (i < 0 || m_state.annotations[i].kind != AnnotationKind::cursor)
        return;
    const AnnotationObject& c = m_state.annotations[i];
    EditorState& s = m_state;
    const auto fields = [](const EditorState& e) {
        return std::tie(e.cursorStyle, e.cursorSize, e.cursorHighlightEnabled, e.cursorHighlightColor,
                        e.cursorHighlightSize, e.cursorHighlightOpacity);
    };
    const auto before = std::make_tuple(s.cursorStyle, s.cursorSize, s.cursorHighlightEnabled,
                                        s.cursorHighlightColor, s.cursorHighlightSize, s.cursorHighlightOpacity);
    s.cursorStyle = c.cursorStyle.value_or(s.cursorStyle);
    s.cursorSize = c.cursorSize.value_or(s.cursorSize);
    s.cursorHighlightEnabled = c.highlightEnabled.value_or(s.cursorHighlightEnabled);
    s.cursorHighlightColor = c.highlightColor.value_or(s.cursorHighlightColor);
    s.cursorHighlightSize = c.highlightSize.value_or(s.cursorHighlightSize);
    s.cursorHighlightOpacity = c.highlightOpacity.value_or(s.cursorHighlightOpacity);
    if (fields(s) != before)
        Q_EMIT settingsChanged();
}
