#pragma once
// The root view of an editor window: the two toolbar rows above the canvas,
// with a slot over the canvas's bottom-right corner for the zoom controls and
// one overlay over everything for the toolbar's delayed tooltips. The toolbar
// folds up in steps as the window narrows and scrolls sideways when the
// window is narrower still.
#include "Editor/EditorToolbar.h"

#include <QWidget>
#include <memory>
#include <optional>

class AnnotationCanvasView;
class EditorViewModel;
class QHBoxLayout;
class QScrollArea;
class TimerDelayScheduler;
class TooltipHost;

class EditorRootView : public QWidget {
    Q_OBJECT
public:
    // services: the delays and the colour panel the toolbar uses; by default
    // the program's own timers and the shared colour panel.
    explicit EditorRootView(EditorViewModel& vm, QWidget* parent = nullptr,
                            std::optional<EditorToolbarServices> services = std::nullopt);
    ~EditorRootView() override;

    EditorViewModel& viewModel() { return m_vm; }
    AnnotationCanvasView& canvas() { return *m_canvas; }
    EditorToolbar& toolbar() { return *m_toolbar; }
    TooltipHost& tooltips() { return *m_tooltips; }
    // The open/closed flags of the option chips' popovers.
    EditorPopoverFlags& popoverFlags() { return m_toolbar->popoverFlags(); }

    // Places in the toolbar for the groups that join it (see EditorToolbar):
    // row 1's right end (undo and redo), row 2's leading part (the options of
    // the kind in focus, then delete and reset) and row 2's right end (export).
    QHBoxLayout& row1Trailing();
    QHBoxLayout& row2Leading();
    QHBoxLayout& row2Trailing();

    // Floats `controls` (taken over) 14 points inside the canvas's
    // bottom-right corner, replacing any earlier ones.
    void setZoomControls(QWidget* controls);
    QWidget* zoomControls() const { return m_zoomControls; }

Q_SIGNALS:
    // The image insert button was pressed: the owner lets the user choose a
    // picture file and places it.
    void requestInsertImage();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeZoomControls();

    EditorViewModel& m_vm;
    // Declared before the widgets that use it; the destructor removes them first.
    std::unique_ptr<TimerDelayScheduler> m_ownScheduler;
    QScrollArea* m_toolbarScroll;
    EditorToolbar* m_toolbar;
    AnnotationCanvasView* m_canvas;
    TooltipHost* m_tooltips;
    QWidget* m_zoomControls = nullptr;
};
