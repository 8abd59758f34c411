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
    adoptCursorStateIfNeeded();
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
    restore(target);
    // A drag still in progress records the rest of its change as a new step,
    // instead of writing past the history.
    m_didPushMoveUndo = false;
    m_didPushHandleUndo = false;
    Q_EMIT historyChanged();
}

void EditorViewModel::restore(const EditorSnapshot& s)
{
    m_state.annotations = s.annotations;
    Q_EMIT annotationsChanged();
    if (s.image.cacheKey() != m_original.cacheKey()) {
        m_original = s.image;
        m_imagePixelSize = s.pixelSize;
        m_blurCache.clear();
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

// --- Tools and drawing ------------------------------------------------------

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

AnnotationObject EditorViewModel::newAnnotation(AnnotationKind kind, const RGBAColor& color,
                                                QList<QPointF> points) const
{
    AnnotationObject a; // a fresh identifier
    a.kind = kind;
    a.color = color;
    a.lineWidth = m_state.lineWidth;
    a.points = std::move(points);
    return a;
}

void EditorViewModel::addAnnotation(const AnnotationObject& annotation)
{
    pushUndo();
    m_state.annotations.append(annotation);
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(annotation.id);
}

void EditorViewModel::changeAnnotation(const AnnotationObject& changed, bool asNewStep)
{
    const qsizetype i = indexOf(changed.id);
    if (i < 0)
        return;
    if (asNewStep)
        pushUndo();
    m_state.annotations[i] = changed;
    Q_EMIT annotationsChanged();
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
    m_blurCache.clear();
    m_state.annotations = annotations;
    Q_EMIT imageChanged();
    Q_EMIT annotationsChanged();
    setSelectedAnnotationID(std::nullopt);
}

QImage EditorViewModel::blurredImage(BlurStyle style, double amount)
{
    if (m_original.isNull())
        return {};
    return m_blurCache.blurred(m_original, style, amount);
}

void EditorViewModel::setTextEntry(std::optional<QPointF> origin, std::optional<QUuid> textID,
                                   std::optional<QUuid> bubbleID)
{
    if (origin == m_pendingTextOrigin && textID == m_editingTextID && bubbleID == m_editingBubbleID)
        return;
    m_pendingTextOrigin = origin;
    m_editingTextID = textID;
    m_editingBubbleID = bubbleID;
    Q_EMIT textEntryChanged();
}

void EditorViewModel::setCropDraft(const std::optional<QRectF>& draft)
{
    if (draft == m_cropDraft)
        return;
    m_cropDraft = draft;
    Q_EMIT cropChanged();
}

void EditorViewModel::beginDrag(QPointF p)
{
    const std::optional<AnnotationKind> kind = annotationKind(m_state.selectedTool);
    // Texts open an entry field, badges and cursors are placed by a click.
    if (!kind || *kind == AnnotationKind::text || *kind == AnnotationKind::badge || *kind == AnnotationKind::cursor)
        return;
    const EditorState& s = m_state;
    AnnotationObject a = newAnnotation(*kind, s.selectedColor,
                                       *kind == AnnotationKind::freehand ? QList<QPointF>{p} : QList<QPointF>{p, p});
    if (a.kind == AnnotationKind::speechBubble)
        a.lineWidth = std::max(a.lineWidth, 2.0);
    switch (a.kind) {
    case AnnotationKind::arrow:
    case AnnotationKind::line:
        a.dashed = s.dashed;
        break;
    case AnnotationKind::rectangle:
        a.cornerRadius = s.cornerRadius;
        [[fallthrough]];
    case AnnotationKind::ellipse:
        a.dashed = s.dashed;
        if (s.fillEnabled)
            a.fillColor = s.fillColor;
        break;
    case AnnotationKind::speechBubble:
        a.text = QString();
        a.fontSize = s.fontSize;
        a.fontName = s.selectedFontName;
        a.bubbleStyle = s.bubbleStyle;
        break;
    case AnnotationKind::blur:
        a.blurStyle = s.selectedBlurStyle;
        a.blurAmount = s.blurAmount;
        break;
    case AnnotationKind::magnifier:
        a.magnification = s.magnifierZoom;
        break;
    default:
        break;
    }
    m_draft = a;
    Q_EMIT draftChanged();
}

void EditorViewModel::updateDrag(QPointF p)
{
    if (!m_draft)
        return;
    QList<QPointF>& pts = m_draft->points;
    if (m_draft->kind == AnnotationKind::freehand)
        pts.append(p);
    else if (pts.size() < 2)
        pts = {p, p};
    else
        pts[1] = p;
    Q_EMIT draftChanged();
}

void EditorViewModel::endDrag()
{
    if (!m_draft)
        return;
    AnnotationObject d = *m_draft;
    m_draft.reset();
    Q_EMIT draftChanged();
    if (d.kind == AnnotationKind::freehand) {
        if (d.points.size() <= 1)
            return;
    } else {
        // A click without a real drag draws nothing.
        const QPointF delta = d.points.value(1) - d.points.value(0);
        if (d.points.size() < 2 || std::hypot(delta.x(), delta.y()) < 3)
            return;
    }
    if (d.kind == AnnotationKind::speechBubble) {
        // The tail hangs below the body, near its left side.
        const QRectF body = QRectF(d.points[0], d.points[1]).normalized();
        const double tail = std::max(0.55 * body.height(), 30.0);
        d.points = {d.points[0], d.points[1], QPointF(body.left() + 0.28 * body.width(), body.bottom() + tail),
                    QPointF(body.left() + 0.3 * body.width(), body.bottom())};
    }
    // Open words settle around the new annotation (see TextEntry): an
    // earlier bubble's are kept as a step before it, a new bubble's open at once.
    Q_EMIT drawingAboutToBeAdded(d.kind);
    addAnnotation(d);
    Q_EMIT drawingAdded(d.id, d.kind);
}

void EditorViewModel::placeBadge(QPointF p)
{
    // Numbers go on from the highest one present; gaps are never refilled.
    qint64 highest = 0;
    for (const AnnotationObject& a : std::as_const(m_state.annotations))
        if (a.kind == AnnotationKind::badge && a.badgeNumber)
            highest = std::max(highest, *a.badgeNumber);
    AnnotationObject a = newAnnotation(AnnotationKind::badge, m_state.badgeColor, {p});
    a.fontSize = m_state.badgeFontSize;
    a.badgeNumber = highest + 1;
    a.badgeSize = m_state.badgeSize;
    a.badgeTextColor = m_state.badgeTextColor;
    addAnnotation(a);
}

void EditorViewModel::placeCursor(QPointF p)
{
    const EditorState& s = m_state;
    AnnotationObject a = newAnnotation(AnnotationKind::cursor, s.selectedColor, {p});
    a.cursorStyle = s.cursorStyle;
    a.cursorSize = s.cursorSize;
    a.highlightEnabled = s.cursorHighlightEnabled;
    a.highlightColor = s.cursorHighlightColor;
    a.highlightSize = s.cursorHighlightSize;
    a.highlightOpacity = s.cursorHighlightOpacity;
    addAnnotation(a);
}

void EditorViewModel::windowWillClose()
{
    endStyleEdit();
    if (m_draft) {
        m_draft.reset();
        Q_EMIT draftChanged();
    }
    endSelectionDrag();
}
