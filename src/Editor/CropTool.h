#pragma once
// The crop tool of one editor: the rectangle being prepared, the drags that
// draw, move and reshape it, the ratio presets, and cutting the picture with
// the annotations moved along. Works on the model, which keeps the ratio
// preset as a tool setting and takes the cut as one undo step.
#include "Editor/AnnotationGeometry.h"
#include "Models/CoreTypes.h"

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <optional>

class EditorViewModel;

class CropTool : public QObject {
    Q_OBJECT
public:
    explicit CropTool(EditorViewModel& vm, QObject* parent = nullptr);

    // The crop rectangle being prepared, in image pixels.
    const std::optional<QRectF>& cropDraft() const { return m_cropDraft; }

    // The crop gesture in progress: a new rectangle, moving the draft, or
    // pulling one of its corners (`cropResizeHandle`).
    enum class CropDragMode { newRect, move, resize };

    std::optional<CropDragMode> cropDragMode() const { return m_cropDragMode; }

    // A crop-tool drag: begin on its first event (with the draft's corner
    // under the press, if any), then one update per event with the drag's
    // start and current point, end on release.
    void cropBegin(QPointF at, std::optional<DragHandle> handle);
    void cropUpdate(QPointF start, QPointF to);
    void endCropDrag();
    void cancelCrop();
    // The preset reshapes a draft at once.
    void setCropAspect(CropAspect aspect);
    // Cuts the picture to the rectangle as one undo step; false (and nothing
    // changed) for less than 8 × 8 pixels, the whole picture or no bitmap.
    bool applyCrop(const QRectF& rect);

Q_SIGNALS:
    void cropChanged(); // cropDraft

private:
    QRectF constrainedCrop(const QRectF& rect) const;
    void endGesture();
    void setCropDraft(const std::optional<QRectF>& draft);

    EditorViewModel& m_vm;
    std::optional<QRectF> m_cropDraft;
    std::optional<CropDragMode> m_cropDragMode;
    std::optional<DragHandle> m_cropResizeHandle;
    std::optional<QPointF> m_cropMoveLast;
};
