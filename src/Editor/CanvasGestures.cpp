#include "Editor/CanvasGestures.h"

#include "Editor/AnnotationGeometry.h"
#include "Editor/CanvasGrips.h"
#include "Editor/CropTool.h"
#include "Editor/EditorViewModel.h"
#include "Editor/TextEntry.h"

CanvasGestures::CanvasGestures(EditorViewModel& vm, CropTool& crop, TextEntry& textEntry)
    : m_vm(vm)
    , m_crop(crop)
    , m_textEntry(textEntry)
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
    switch (m_vm.state().selectedTool) {
    case EditorTool::text:
    case EditorTool::badge:
    case EditorTool::cursor:
        break; // these act on release
    case EditorTool::select:
        if (!m_vm.isDraggingSelection() && !m_vm.activeHandle())
            beginSelectDrag(*m_start, s0, c);
        if (m_vm.activeHandle())
            m_vm.updateHandleDrag(p);
        else
            m_vm.updateSelectionDrag(p);
        break;
    case EditorTool::crop:
        if (!m_crop.cropDragMode())
            m_crop.cropBegin(s0, CanvasGrips::cropHandleHit(m_vm.cropDraft(), *m_start, c, m_vm.imagePixelSize()));
        m_crop.cropUpdate(s0, p);
        break;
    default:
        if (!m_vm.draftAnnotation())
            m_vm.beginDrag(s0);
        m_vm.updateDrag(p);
        break;
    }
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
                m_vm.beginHandleDrag(*grip, *id);
                return;
            }
            break;
        }
    }
    m_vm.beginSelectionDrag(startImage);
}

void CanvasGestures::release(QPointF at, QSizeF c)
{
    if (!m_start)
        return;
    const QPointF p = toImage(at, c);
    const bool toggled = m_toggled;
    m_start.reset();
    m_toggled = false;
    if (!toggled) {
        switch (m_vm.state().selectedTool) {
        case EditorTool::text:
            m_textEntry.beginText(p, AnnotationKind::text);
            break;
        case EditorTool::badge:
            m_vm.placeBadge(p);
            break;
        case EditorTool::cursor:
            m_vm.placeCursor(p);
            break;
        case EditorTool::select:
            m_vm.endSelectionDrag();
            break;
        case EditorTool::crop:
            m_crop.endCropDrag();
            break;
        default:
            m_vm.endDrag();
            break;
        }
    }
    if (m_doubleClick) {
        m_doubleClick = false;
        m_textEntry.handleDoubleClick(p);
    }
}
