#pragma once
// Drawing with the annotation tools on one editor's model: the drag that
// shapes a new annotation (the draft, not yet among the annotations, is
// published for the canvas) and the click that places one. What a kind takes
// from the tool settings, how its points follow the pointer, whether a drag
// drew anything and its last touch come from AnnotationKinds. A drawn speech
// bubble's words open at once in the text entry.
#include "Models/AnnotationObject.h"

#include <QObject>
#include <QPointF>
#include <optional>

class EditorViewModel;
class TextEntry;

class DrawingGesture : public QObject {
    Q_OBJECT
public:
    DrawingGesture(EditorViewModel& vm, TextEntry& textEntry, QObject* parent = nullptr);

    // The annotation a drag is shaping.
    const std::optional<AnnotationObject>& draft() const { return m_draft; }

    // A drag with the current tool: begin, one update per pointer event (the
    // first in the same event as the begin), end. Nothing for a tool whose
    // kind is not drawn by dragging.
    void beginDrag(QPointF at);
    void updateDrag(QPointF to);
    // Adds what the drag drew as one undo step and selects it.
    void endDrag();
    // A new annotation of the kind at the point (the kinds a click places:
    // badges, cursors), as one undo step, selected.
    void place(AnnotationKind kind, QPointF at);

    // The window is closing: a drag in progress draws nothing.
    void windowWillClose();

Q_SIGNALS:
    void draftChanged();

private:
    EditorViewModel& m_vm;
    TextEntry& m_textEntry;
    std::optional<AnnotationObject> m_draft;
};
