#pragma once
// The root view of an editor window: the two toolbar rows above the canvas,
// with a slot over the canvas's bottom-right corner for the zoom controls and
// one overlay over everything for the toolbar's delayed tooltips. The toolbar
// folds up in steps as the window narrows; what still does not fit slides
// sideways inside its row, while undo, redo and the export row stay in view.
#include "Editor/EditorToolbar.h"

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

class AnnotationCanvasView;
class ColorPanelController;
class DeleteResetControls;
class EditorSession;
class EditorViewModel;
class ExportControls;
class HistoryControls;
class KeyCommandBridge;
class OCRResultView;
class QFrame;
class QHBoxLayout;
class TimerDelayScheduler;
class TooltipHost;

class EditorRootView : public QWidget {
    Q_OBJECT
public:
    // services: the delays and the colour panel the toolbar uses; by default
    // timers and a colour panel of this view's own.
    explicit EditorRootView(EditorSession& session, QWidget* parent = nullptr,
                            std::optional<EditorToolbarServices> services = std::nullopt);
    ~EditorRootView() override;

    EditorSession& session() { return m_session; }
    EditorViewModel& viewModel() { return m_vm; }
    AnnotationCanvasView& canvas() { return *m_canvas; }
    EditorToolbar& toolbar() { return *m_toolbar; }
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

    // How much of the window's height the toolbar and the line under it take
    // above the canvas.
    int chromeHeight() const;
    // The text recognition sheet, while there is a result to show.
    OCRResultView* ocrSheet() const;

Q_SIGNALS:
    // The image insert button was pressed: the owner lets the user choose a
    // picture file and places it.
    void requestInsertImage();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeZoomControls();
    // Shows the recognition sheet while there is a result; closing it clears the result.
    void syncOcrSheet();

    EditorSession& m_session;
    EditorViewModel& m_vm;
    // Declared before the widgets that use it; the destructor removes them first.
    std::unique_ptr<TimerDelayScheduler> m_ownScheduler;
    std::unique_ptr<ColorPanelController> m_ownColorPanel;
    EditorToolbar* m_toolbar;
    QFrame* m_divider;
    AnnotationCanvasView* m_canvas;
    TooltipHost* m_tooltips;
    QWidget* m_zoomControls = nullptr;
    HistoryControls* m_history;
    DeleteResetControls* m_deleteReset;
    ExportControls* m_export;
    KeyCommandBridge* m_keys;
    QPointer<OCRResultView> m_ocrSheet;
};
