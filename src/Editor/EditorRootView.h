#pragma once
// The root view of an editor window: the two toolbar rows above the canvas,
// with a slot over the canvas's bottom-right corner for the zoom controls.
// Each row has a leading part that grows from the left and a trailing part
// held at the right edge (row 1: tools, colours and line width, then undo
// and redo; row 2: the options of the current tool, then the export
// controls). The toolbar scrolls sideways when the window is narrower than it.
#include <QWidget>

class AnnotationCanvasView;
class EditorViewModel;
class QHBoxLayout;
class QScrollArea;

class EditorRootView : public QWidget {
    Q_OBJECT
public:
    explicit EditorRootView(EditorViewModel& vm, QWidget* parent = nullptr);

    EditorViewModel& viewModel() { return m_vm; }
    AnnotationCanvasView& canvas() { return *m_canvas; }

    // The four parts of the toolbar; widgets added there are laid out with
    // 14 points between them.
    QHBoxLayout& row1Leading() { return *m_row1Leading; }
    QHBoxLayout& row1Trailing() { return *m_row1Trailing; }
    QHBoxLayout& row2Leading() { return *m_row2Leading; }
    QHBoxLayout& row2Trailing() { return *m_row2Trailing; }
    QWidget& toolbar() { return *m_toolbar; }

    // Floats `controls` (taken over) 14 points inside the canvas's
    // bottom-right corner, replacing any earlier ones.
    void setZoomControls(QWidget* controls);
    QWidget* zoomControls() const { return m_zoomControls; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeZoomControls();

    EditorViewModel& m_vm;
    QScrollArea* m_toolbarScroll;
    QWidget* m_toolbar;
    QHBoxLayout* m_row1Leading;
    QHBoxLayout* m_row1Trailing;
    QHBoxLayout* m_row2Leading;
    QHBoxLayout* m_row2Trailing;
    AnnotationCanvasView* m_canvas;
    QWidget* m_zoomControls = nullptr;
};
