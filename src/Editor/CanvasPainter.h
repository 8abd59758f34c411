#pragma once
// Paints frames of the editor's canvas: the picture at the current zoom, every
// annotation through the shared renderer, the selection outlines and grips,
// the annotation being drawn, the marquee and the crop overlay. Works in view
// points of the content frame (the fitted picture times the zoom, origin
// top-left).
//
// The picture and the annotations are kept as one finished layer for the
// part of the content that is on screen, rebuilt only when one of them (or
// the selection, the zoom, the text being edited) changes; every frame then
// copies from it and paints only what moves on top: the draft, the marquee
// and the crop overlay. The picture scaled to the zoom is kept as well.
#include "Editor/EmbeddedImageCache.h"
#include "Models/AnnotationObject.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <optional>

class EditorViewModel;
class QPainter;

class CanvasPainter {
public:
    explicit CanvasPainter(EditorViewModel& vm);

    // The content frame's size in view points.
    void setContentSize(QSizeF size);
    QSizeF contentSize() const { return m_contentSize; }

    // Paints the `exposed` part of a frame. `visible` is the part of the
    // content the user sees; the layer is built for it, so a repaint of a
    // small piece of it costs a copy.
    void paint(QPainter& painter, const QRect& exposed, const QRect& visible);

    // Something the layer shows has changed.
    void invalidateLayer() { m_layerValid = false; }
    // The picture itself changed (also drops the scaled copy).
    void invalidatePicture();

    // The view rectangle a frame's moving parts cover now (empty when absent),
    // so a view can repaint only there.
    QRectF draftBounds() const;
    QRectF marqueeBounds() const;

    // Tests and the benchmark watch these.
    int layerBuilds() const { return m_layerBuilds; }
    const EmbeddedImageCache& pictures() const { return m_pictures; }

private:
    void buildLayer(const QRect& area, qreal dpr);
    void paintPicture(QPainter& p, const QRect& area, qreal dpr);
    // The annotation in its own right, then its selection when it is selected.
    void paintAnnotation(QPainter& p, const AnnotationObject& a, bool selected, const QRectF& area);
    void paintSelection(QPainter& p, const AnnotationObject& a);
    void paintMarquee(QPainter& p);
    void paintCropOverlay(QPainter& p);
    // Where an annotation can paint, in image pixels; none for texts, whose
    // extent takes measuring.
    std::optional<QRectF> paintExtent(const AnnotationObject& a) const;
    QRectF toView(const QRectF& imageRect) const;

    EditorViewModel& m_vm;
    QSizeF m_contentSize;
    EmbeddedImageCache m_pictures;

    QImage m_scaled; // the picture at the content size, when that is small enough
    qint64 m_scaledKey = 0;
    QSizeF m_scaledSize;

    QImage m_layer;
    QRect m_layerArea;
    bool m_layerValid = false;
    int m_layerBuilds = 0;
};
