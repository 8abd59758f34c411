#include "Editor/EditorViewModel.h"

#include <algorithm>
#include <cmath>

EditorViewModel::EditorViewModel(const QImage& image, std::optional<ScreenshotItem> item,
                                 EditorEnvironment& environment, QObject* parent)
    : QObject(parent)
    , m_hitTest(environment)
    , m_original(image)
    , m_item(std::move(item))
    , m_imagePixelSize(image.size())
{
    m_state = EditorState::opening(m_imagePixelSize.width(), m_item ? m_item->annotations : QList<AnnotationObject>{});
}

std::optional<QUuid> EditorViewModel::selectedAnnotationID() const
{
    if (m_selectedIDs.size() == 1)
        return *m_selectedIDs.cbegin();
    return std::nullopt;
}

void EditorViewModel::setSelectedIDs(const QSet<QUuid>& ids)
{
    if (ids != m_selectedIDs) {
        m_selectedIDs = ids;
        // A slider edit belongs to the selection it started on.
        endStyleEdit();
        Q_EMIT selectionChanged();
    }
    adoptCursorSettingsOfSelected();
}

void EditorViewModel::setSelectedAnnotationID(std::optional<QUuid> id)
{
    setSelectedIDs(id ? QSet<QUuid>{*id} : QSet<QUuid>{});
}

void EditorViewModel::setZoom(double zoom)
{
    if (!std::isfinite(zoom))
        return;
    const double z = std::clamp(zoom, minZoom, maxZoom);
    if (z == m_zoom)
        return;
    m_zoom = z;
    Q_EMIT zoomChanged();
}

// --- Undo -------------------------------------------------------------------

EditorViewModel::EditorSnapshot EditorViewModel::snapshot() const
{
    return {m_state.annotations, m_original, m_imagePixelSize};
}

void EditorViewModel::pushUndo()
{
    m_undoStack.append(snapshot());
    m_redoStack.clear();
    ++m_historyVersion;
    if (m_undoStack.size() > undoLimit)
        m_undoStack.removeFirst();
    Q_EMIT historyChanged();
}

void EditorViewModel::undo()
{
    step(m_undoStack, m_redoStack);
}

void EditorViewModel::redo()
{
    step(m_redoStack, m_undoStack);
}

void EditorViewModel::step(QList<EditorSnapshot>& from, QList<EditorSnapshot>& to)
{
    if (from.isEmpty())
        return;
    endStyleEdit();
    const EditorSnapshot target = from.takeLast();
    // No trim needed: pushUndo keeps both stacks together within the limit.
    to.append(snapshot());
    ++m_historyVersion;
    // A drag still in progress sees the new version and records the rest of
    // its change as a new step, instead of writing past the history.
    restore(target);
    Q_EMIT historyChanged();
}

void EditorViewModel::restore(const EditorSnapshot& s)
{
    m_state.annotations = s.annotations;
    Q_EMIT annotationsChanged();
    if (s.image.cacheKey() != m_original.cacheKey()) {
        m_original = s.image;
        m_imagePixelSize = s.pixelSize;
        Q_EMIT imageChanged();
    }
    setSelectedAnnotationID(std::nullopt);
}

void EditorViewModel::resetAll()
{
    if (m_state.annotations.isEmpty())
        return;
    pushUndo();
    m_state.annotations.clear();
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
    Q_EMIT annotationsReset();
}

// --- Tools and edits --------------------------------------------------------

void EditorViewModel::setTool(EditorTool tool)
{
    // Open words settle first (see TextEntry): a bubble's are kept, a new
    // text not yet confirmed is not.
    Q_EMIT toolAboutToChange();
    endStyleEdit();
    if (m_state.selectedTool != tool) {
        m_state.selectedTool = tool;
        Q_EMIT settingsChanged();
    }
    if (tool != EditorTool::select)
        setSelectedAnnotationID(std::nullopt);
}

void EditorViewModel::addAnnotation(const AnnotationObject& annotation)
{
    pushUndo();
    m_state.annotations.append(annotation);
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(annotation.id);
}

bool EditorViewModel::changeAnnotation(const AnnotationObject& changed, bool asNewStep)
{
    const qsizetype i = indexOf(changed.id);
    if (i < 0 || m_state.annotations[i] == changed)
        return false;
    if (asNewStep)
        pushUndo();
    m_state.annotations[i] = changed;
    Q_EMIT annotationsChanged();
    return true;
}

bool EditorViewModel::moveAnnotations(const QSet<QUuid>& ids, QPointF offset, bool asNewStep)
{
    if ((offset.x() == 0 && offset.y() == 0) || ids.isEmpty())
        return false;
    QList<qsizetype> moving;
    QSet<QUuid> pending = ids;
    // Only the first annotation with an identifier moves.
    for (qsizetype i = 0; i < m_state.annotations.size() && !pending.isEmpty(); ++i)
        if (pending.remove(m_state.annotations[i].id))
            moving.append(i);
    if (moving.isEmpty())
        return false;
    if (asNewStep)
        pushUndo();
    for (qsizetype i : std::as_const(moving))
        for (QPointF& q : m_state.annotations[i].points)
            q += offset;
    Q_EMIT annotationsChanged();
    return true;
}

void EditorViewModel::removeAnnotation(const QUuid& id)
{
    const qsizetype i = indexOf(id);
    if (i < 0)
        return;
    pushUndo();
    m_state.annotations.removeAt(i);
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}

void EditorViewModel::replaceImage(const QImage& image, const QList<AnnotationObject>& annotations)
{
    pushUndo();
    m_original = image;
    m_imagePixelSize = image.size();
    m_imageWasCropped = true;
    m_state.annotations = annotations;
    Q_EMIT imageChanged();
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}
