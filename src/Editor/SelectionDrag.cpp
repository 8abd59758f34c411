#include "Editor/SelectionDrag.h"

#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"
#include "Editor/TextEntry.h"

#include <algorithm>
#include <cmath>

SelectionDrag::SelectionDrag(EditorViewModel& vm, TextEntry& textEntry, QObject* parent)
    : QObject(parent)
    , m_vm(vm)
    , m_textEntry(textEntry)
{
}

void SelectionDrag::setMarquee(std::optional<QRectF> rect)
{
    if (rect == m_marqueeRect)
        return;
    m_marqueeRect = rect;
    Q_EMIT marqueeChanged();
}

bool SelectionDrag::startsStep() const
{
    // The drag's step is the latest one only while nothing else was recorded
    // or undone since: otherwise its changes would write past the history.
    return m_stepVersion != m_vm.historyVersion();
}

void SelectionDrag::changed()
{
    m_stepVersion = m_vm.historyVersion();
}

void SelectionDrag::begin(QPointF p)
{
    m_textEntry.selectPress(p);

    m_isDragging = true;
    m_stepVersion.reset();
    m_marqueeStart.reset();
    setMarquee(std::nullopt);
    if (const auto hit = m_vm.annotationAt(p)) {
        // A press on part of a multiple selection keeps the whole selection.
        if (!m_vm.selectedIDs().contains(*hit))
            m_vm.setSelectedAnnotationID(*hit);
        m_movingAnnotationID = *hit;
        m_moveLastPoint = p;
    } else {
        m_vm.setSelectedAnnotationID(std::nullopt);
        m_movingAnnotationID.reset();
        m_moveLastPoint = p;
        m_marqueeStart = p;
        setMarquee(QRectF(p, QSizeF(0, 0)));
    }
}

void SelectionDrag::update(QPointF p)
{
    if (m_marqueeStart) {
        const QPointF s = *m_marqueeStart;
        setMarquee(QRectF(std::min(p.x(), s.x()), std::min(p.y(), s.y()), std::abs(p.x() - s.x()),
                          std::abs(p.y() - s.y())));
        return;
    }
    if (!m_movingAnnotationID || !m_moveLastPoint)
        return;
    const QSet<QUuid>& selected = m_vm.selectedIDs();
    const QSet<QUuid> moving = selected.contains(*m_movingAnnotationID) ? selected : QSet<QUuid>{*m_movingAnnotationID};
    if (m_vm.moveAnnotations(moving, p - *m_moveLastPoint, startsStep()))
        changed();
    m_moveLastPoint = p;
}

void SelectionDrag::beginHandleDrag(DragHandle handle, QUuid annotationID)
{
    m_activeHandle = handle;
    m_handleAnnotationID = annotationID;
    m_handleStart.reset();
    m_stepVersion.reset();
}

void SelectionDrag::updateHandleDrag(QPointF p)
{
    if (!m_activeHandle || !m_handleAnnotationID)
        return;
    const qsizetype index = m_vm.indexOf(*m_handleAnnotationID);
    if (index < 0)
        return;
    const AnnotationObject& a = m_vm.state().annotations[index];
    // Taken once per drag, so that dragging on after a shape has flipped keeps it in place.
    if (!m_handleStart)
        m_handleStart = a;
    const AnnotationKindBehaviour& kind = AnnotationKinds::of(a.kind);
    const AnnotationObject reshaped = kind.gripDragged(a, *m_activeHandle, p, *m_handleStart);
    if (m_vm.changeAnnotation(reshaped, startsStep()))
        changed();
    // The next cursor placed takes the new size.
    if (kind.options().testFlag(AnnotationKindBehaviour::Option::cursor) && reshaped.cursorSize)
        m_vm.setCursorSize(*reshaped.cursorSize);
}

void SelectionDrag::end()
{
    if (m_marqueeRect) {
        const QRectF m = *m_marqueeRect;
        if (m.width() >= 3 || m.height() >= 3) {
            QSet<QUuid> inside;
            for (const AnnotationObject& a : m_vm.state().annotations)
                if (AnnotationHitTest::intersects(a.boundingBox(), m))
                    inside.insert(a.id);
            m_vm.setSelectedIDs(inside);
        }
        setMarquee(std::nullopt);
        m_marqueeStart.reset();
    }
    m_isDragging = false;
    m_movingAnnotationID.reset();
    m_moveLastPoint.reset();
    m_activeHandle.reset();
    m_handleAnnotationID.reset();
    m_handleStart.reset();
    m_stepVersion.reset();
}
