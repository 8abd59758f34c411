#pragma once
// The central view of an editor window: the screenshot with its annotations
// at the current zoom in a view that scrolls both ways, centred while it is
// smaller than the view. At zoom 1 the picture fits the view, shrunk where it
// is larger and pixel for pixel where it is not; Ctrl+wheel and
// a touchpad pinch zoom about the pointer, between the model's limits.
#include <QPointF>
#include <QScrollArea>
#include <QSizeF>
#include <optional>

class CanvasContentView;
class EditorSession;
class EditorViewModel;

class AnnotationCanvasView : public QScrollArea {
    Q_OBJECT
public:
    explicit AnnotationCanvasView(EditorSession& session, QWidget* parent = nullptr);

    // The picture's frame; overlays on the picture are its children.
    CanvasContentView& contentView() { return *m_content; }

    // The content size for an offered view size: the picture fitted into it
    // (never enlarged), times the zoom, never below 1 × 1 (the offered size itself when either
    // has no area).
    static QSizeF contentSize(QSizeF offered, QSizeF pixelSize, double zoom);

    // A pinch: `magnification` is the factor since the pinch began.
    void pinchChanged(double magnification, std::optional<QPointF> anchor = std::nullopt);
    void pinchEnded();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void relayout();
    // Sets the zoom and keeps the content point under `anchor` (viewport
    // coordinates; the viewport's centre when absent) where it is.
    void zoomAbout(double zoom, std::optional<QPointF> anchor);
    bool handleZoomInput(QEvent* event);

    EditorViewModel& m_vm;
    CanvasContentView* m_content;
    std::optional<double> m_pinchBaseZoom;
    double m_pinchMagnification = 1;
    std::optional<QPointF> m_zoomAnchor;
};
