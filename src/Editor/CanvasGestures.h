#pragma once
// Turns the canvas's pointer input into calls on one editor's model and its
// collaborators: a press, drag and release routed by the current tool (the
// select tool's drags, the crop tool's, and per annotation kind a drawing
// drag, a click that places one or a click that opens a text field, as
// AnnotationKinds says), Shift+click to add an annotation to the selection or
// take it out, and a double click that opens an annotation's words for
// editing. Points arrive in view points of the content frame and go on in
// image pixels.
//
// A press counts as the first change of a drag (drawing starts at the press
// point), and both clicks of a double click run the tool's drag as well.
#include <QPointF>
#include <QSizeF>
#include <optional>

class CropTool;
class DrawingGesture;
class EditorSession;
class EditorViewModel;
class SelectionDrag;
class TextEntry;

class CanvasGestures {
public:
    explicit CanvasGestures(EditorSession& session);

    // `contentSize` is the content frame the points are in.
    void press(QPointF at, QSizeF contentSize, bool shift = false);
    void move(QPointF to, QSizeF contentSize);
    void release(QPointF at, QSizeF contentSize);
    // The second press of a double click; its release then opens the edit.
    void doublePress(QPointF at, QSizeF contentSize);

private:
    void changed(QPointF at, QSizeF contentSize);
    void beginSelectDrag(QPointF startView, QPointF startImage, QSizeF contentSize);
    // The release of a press that did not toggle the selection.
    void finish(QPointF at);
    QPointF toImage(QPointF view, QSizeF contentSize) const;

    EditorViewModel& m_vm;
    DrawingGesture& m_drawing;
    SelectionDrag& m_selection;
    CropTool& m_crop;
    TextEntry& m_textEntry;
    std::optional<QPointF> m_start; // view points
    bool m_doubleClick = false;
    // A Shift+click changed the selection; the rest of that drag does nothing.
    bool m_toggled = false;
};
