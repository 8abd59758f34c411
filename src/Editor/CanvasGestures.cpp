#include "Editor/CanvasGestures.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/CanvasGrips.h"
#include "Editor/EditorSession.h"
#include "Editor/Kinds/AnnotationKinds.h"

using Drawn = AnnotationKindBehaviour::Drawn;

CanvasGestures::CanvasGestures(EditorSession& session)
    : m_vm(session.model())
    , m_drawing(session.drawing())
    , m_selection(session.selectionDrag())
    , m_crop(session.crop())
    , m_textEntry(session.textEntry())
{
}

QPointF CanvasGestures::toImage(QPointF view, QSizeF c) const
{
    return AnnotationGeometry::imagePoint(view, m_vm.imagePixelSize(), c);
}

void CanvasGestures::press(QPointF at, QSizeF c, bool shift)
{
    m_start = at;
    m_toggled = false;
    if (shift && m_vm.state().selectedTool == EditorTool::select) {
        // Shift+click adds the annotation under the pointer to the selection,
        // or takes it out; empty canvas starts a marquee as usual.
        if (const auto id = m_vm.annotationAt(toImage(at, c))) {
            QSet<QUuid> ids = m_vm.selectedIDs();
            if (!ids.remove(*id))
                ids.insert(*id);
            m_vm.setSelectedIDs(ids);
            m_toggled = true;
            return;
        }
    }
    changed(at, c);
}

void CanvasGestures::doublePress(QPointF at, QSizeF c)
{
    press(at, c);
    m_doubleClick = true;
}

void CanvasGestures::move(QPointF to, QSizeF c)
{
    if (m_start && !m_toggled)
        changed(to, c);
}

void CanvasGestures::changed(QPointF at, QSizeF c)
{
    const QPointF p = toImage(at, c);
    const QPointF s0 = toImage(*m_start, c);
    const EditorTool tool = m_vm.state().selectedTool;
    if (tool == EditorTool::select) {
        if (!m_selection.isDragging() && !m_selection.activeHandle())
            beginSelectDrag(*m_start, s0, c);
        if (m_selection.activeHandle())
            m_selection.updateHandleDrag(p);
        else
            m_selection.update(p);
    } else if (tool == EditorTool::crop) {
        if (!m_crop.cropDragMode())
            m_crop.cropBegin(s0, CanvasGrips::cropHandleHit(m_crop.cropDraft(), *m_start, c, m_vm.imagePixelSize()));
        m_crop.cropUpdate(s0, p);
    } else if (const std::optional<AnnotationKind> kind = annotationKind(tool);
               kind && AnnotationKinds::of(*kind).drawn() == Drawn::byDrag) {
        if (!m_drawing.draft())
            m_drawing.beginDrag(s0);
        m_drawing.updateDrag(p);
    }
    // The kinds placed or typed at a click act on release.
}

// The first change of a select-tool drag: a grip of the one selected
// annotation near the press starts a handle drag, anything else a selection drag.
void CanvasGestures::beginSelectDrag(QPointF startView, QPointF startImage, QSizeF c)
{
    if (const auto id = m_vm.selectedAnnotationID()) {
        for (const AnnotationObject& a : m_vm.state().annotations) {
            if (a.id != *id)
                continue;
            const auto grips = CanvasGrips::handlePositions(a, c, m_vm.imagePixelSize());
            if (const auto grip = CanvasGrips::nearestGrip(grips, startView)) {
                m_selection.beginHandleDrag(*grip, *id);
                return;
            }
            break;
        }
    }
    m_selection.begin(startImage);
}

void CanvasGestures::release(QPointF at, QSizeF c)
{
    if (!m_start)
        return;
    const QPointF p = toImage(at, c);
    const bool toggled = m_toggled;
    m_start.reset();
    m_toggled = false;
    if (!toggled)
        finish(p);
    if (m_doubleClick) {
        m_doubleClick = false;
        m_textEntry.handleDoubleClick(p);
    }
}

void CanvasGestures::finish(QPointF p)
{
    const EditorTool tool = m_vm.state().selectedTool;
    if (tool == EditorTool::select) {
        m_selection.end();
        return;
    }
    if (tool == EditorTool::crop) {
        m_crop.endCropDrag();
        return;
    }
    const std::optional<AnnotationKind> kind = annotationKind(tool);
    if (!kind)
        return;
    switch (AnnotationKinds::of(*kind).drawn()) {
    case Drawn::byDrag: m_drawing.endDrag(); break;
    case Drawn::byClick: m_drawing.place(*kind, p); break;
    case Drawn::byTyping: m_textEntry.beginText(p, *kind); break;
    }
}
