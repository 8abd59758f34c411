#pragma once
// The select tool's drags on one editor's model: a click that selects, a drag
// that moves the selection, a marquee over empty canvas (published for the
// canvas while it is drawn), and a drag on a grip of the single selected
// annotation that reshapes it as its kind says (AnnotationKinds). A drag is
// one undo step, taken with its first real change; undone while the drag goes
// on, the rest of it is a new step.
#include "Editor/AnnotationGeometry.h"
#include "Models/AnnotationObject.h"

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QUuid>
#include <optional>

class EditorViewModel;
class TextEntry;

class SelectionDrag : public QObject {
    Q_OBJECT
public:
    SelectionDrag(EditorViewModel& vm, TextEntry& textEntry, QObject* parent = nullptr);

    bool isDragging() const { return m_isDragging; }
    std::optional<DragHandle> activeHandle() const { return m_activeHandle; }
    const std::optional<QRectF>& marqueeRect() const { return m_marqueeRect; }

    // A drag that does not start on a grip: a click, a move of the selection,
    // or a marquee over empty canvas. A press away from words being typed
    // settles them first.
    void begin(QPointF at);
    void update(QPointF to);
    // A drag on a grip of the annotation.
    void beginHandleDrag(DragHandle handle, QUuid annotationID);
    void updateHandleDrag(QPointF to);
    // Ends either drag; a marquee of at least 3 pixels selects what it touches.
    void end();

Q_SIGNALS:
    void marqueeChanged();

private:
    void setMarquee(std::optional<QRectF> rect);
    // Whether the next change starts the drag's undo step (see the model's historyVersion).
    bool startsStep() const;
    void changed();

    EditorViewModel& m_vm;
    TextEntry& m_textEntry;
    bool m_isDragging = false;
    std::optional<QRectF> m_marqueeRect;
    std::optional<QPointF> m_marqueeStart;
    std::optional<QPointF> m_moveLastPoint;
    std::optional<QUuid> m_movingAnnotationID;
    std::optional<DragHandle> m_activeHandle;
    std::optional<QUuid> m_handleAnnotationID;
    // The reshaped annotation as the drag found it.
    std::optional<AnnotationObject> m_handleStart;
    // The history version right after this drag's latest change.
    std::optional<quint64> m_stepVersion;
};
