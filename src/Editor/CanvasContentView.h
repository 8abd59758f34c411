#pragma once
// The content frame of the canvas: the picture with its annotations at the
// current zoom, one widget of exactly the content size inside the canvas's
// scroll view. Paints through CanvasPainter, hands pointer input to
// CanvasGestures, and repaints what the changes of the model and its
// collaborators touch: everything when the picture, annotations, selection or
// text entry change, only the old and new place of the draft or marquee while
// one is dragged. Overlays that belong to
// the picture (text entry fields, Live Text) are children of this widget.
#include "Editor/CanvasGestures.h"
#include "Editor/CanvasPainter.h"
#include "Editor/InPlaceTextFields.h"

#include <QRectF>
#include <QWidget>

class EditorSession;
class EditorViewModel;

class CanvasContentView : public QWidget {
    Q_OBJECT
public:
    explicit CanvasContentView(EditorSession& session, QWidget* parent = nullptr);

    // The content frame in view points; the widget is as large, rounded.
    void setContentSize(QSizeF size);
    QSizeF contentSize() const { return m_painter.contentSize(); }
    // View point <-> image pixel (clamped to the picture).
    QPointF imagePoint(QPointF viewPoint) const;
    QPointF viewPoint(QPointF imagePoint) const;

    const CanvasPainter& painter() const { return m_painter; }
    const InPlaceTextFields& textFields() const { return m_textFields; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void repaintAll();
    void repaintMoving(QRectF& last, const QRectF& now);

    EditorViewModel& m_vm;
    CanvasPainter m_painter;
    CanvasGestures m_gestures;
    bool m_painted = false;
    QRectF m_lastDraft;
    QRectF m_lastMarquee;
    InPlaceTextFields m_textFields;
};
