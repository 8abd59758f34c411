#pragma once
// Turns the canvas's pointer input into calls on the editor model, its crop
// tool and its text entry: a press,
// drag and release routed by the current tool, Shift+click to add an
// annotation to the selection or take it out, and a double click that opens a
// text or speech bubble for editing. Points arrive in view points of the
// content frame and go to the model in image pixels.
//
// A press counts as the first change of a drag (drawing starts at the press
// point), and both clicks of a double click run the tool's drag as well.
#include <QPointF>
#include <QSizeF>
#include <optional>

class CropTool;
class EditorViewModel;
class TextEntry;

class CanvasGestures {
public:
    CanvasGestures(EditorViewModel& vm, CropTool& crop, TextEntry& textEntry);

    // `contentSize` is the content frame the points are in.
    void press(QPointF at, QSizeF contentSize, bool shift = false);
    void move(QPointF to, QSizeF contentSize);
    void release(QPointF at, QSizeF contentSize);
    // The second press of a double click; its release then opens the edit.
    void doublePress(QPointF at, QSizeF contentSize);

    bool isDragging() const { return m_start.has_value(); }

private:
    void changed(QPointF at, QSizeF contentSize);
    void beginSelectDrag(QPointF startView, QPointF startImage, QSizeF contentSize);
    QPointF toImage(QPointF view, QSizeF contentSize) const;

    EditorViewModel& m_vm;
    CropTool& m_crop;
    TextEntry& m_textEntry;
    std::optional<QPointF> m_start; // view points
    bool m_doubleClick = false;
    // A Shift+click changed the selection; the rest of that drag does nothing.
    bool m_toggled = false;
};
