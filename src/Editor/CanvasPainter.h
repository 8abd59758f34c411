#pragma once
// Paints frames of the editor's canvas: the picture at the current zoom, every
// annotation through the shared renderer, the selection outlines and grips,
// the annotation being drawn, the marquee and the crop overlay, as the model
// and its collaborators (drawing, select-tool drags, crop, text entry) hold them. Works in view
// points of the content frame (the fitted picture times the zoom, origin
// top-left).
//
// The picture and the annotations are kept as one finished layer for the
// part of the content that is on screen, rebuilt only when one of them (or
// the selection, the zoom, the text being edited) changes; every frame then
// copies from it and paints only what moves on top: the draft, the marquee
// and the crop overlay. The picture scaled to the zoom is kept as well, and
// each annotation as painted at the current zoom, so a rebuild after one
// annotation changed paints that one and copies the others. The whole
// picture blurred for blur areas is kept too, until the picture changes.
#include "Editor/BlurPreviewCache.h"
#include "Editor/EmbeddedImageCache.h"
#include "Models/AnnotationObject.h"

#include <QCache>
#include <QFuture>
#include <QImage>
#include <QThreadPool>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <optional>

class CropTool;
class DrawingGesture;
class EditorSession;
class EditorViewModel;
class QPainter;
class SelectionDrag;
class TextEntry;

class CanvasPainter {
public:
    explicit CanvasPainter(EditorSession& session);

    // The content frame's size in view points.
    void setContentSize(QSizeF size);
    QSizeF contentSize() const { return m_contentSize; }
    // Starts scaling the picture to the content size on a worker thread, so a
    // frame painted soon (the first one of a window being mapped) finds it
    // ready. Painting without it works the same, only slower.
    void prefetch(qreal dpr);

    // Paints the `exposed` part of a frame. `visible` is the part of the
    // content the user sees; the layer is built for it, so a repaint of a
    // small piece of it costs a copy.
    void paint(QPainter& painter, const QRect& exposed, const QRect& visible);

    // What shows through where the picture is transparent or does not
    // reach; with an opaque colour every frame covers all it paints.
    void setBackdrop(const QColor& colour);

    // Something the layer shows has changed.
    void invalidateLayer() { m_layerValid = false; }
    // The picture itself changed (also drops the scaled and blurred copies).
    void invalidatePicture();

    // The view rectangle a frame's moving parts cover now (empty when absent),
    // so a view can repaint only there.
    QRectF draftBounds() const;
    QRectF marqueeBounds() const;

    // Tests watch the picture cache.
    const EmbeddedImageCache& pictures() const { return m_pictures; }

private:
    enum class Chrome { none, outline, outlineAndGrips };
    // What the layer shows of one annotation.
    struct Laid {
        std::optional<AnnotationObject> shown;
        Chrome chrome = Chrome::none;
        bool operator==(const Laid&) const = default;
    };
    QList<Laid> laidNow() const;

    void buildLayer(const QRect& area, qreal dpr);
    static QImage blankLayer(const QRect& area, qreal dpr, const QColor& fill);
    void paintPicture(QPainter& p, const QRect& area, qreal dpr);
    // Where the picture goes in the content frame (none without a picture).
    struct Placement {
        QRectF target;
        qreal scale = 1;
    };
    std::optional<Placement> placement() const;
    // The size of its kept scaled copy in device pixels; none for a picture
    // that is not shrunk, or too large a copy to keep.
    std::optional<QSize> scaledDeviceSize(const Placement& at, qreal dpr) const;
    // Each pixel of the picture on one device pixel.
    static bool isOneToOne(const Placement& at, qreal dpr);
    // The picture at `device` pixels: the kept copy, the one being made, or made now.
    const QImage& scaledPicture(QSize device, qreal dpr);
    // The picture alone as the bottom of a layer over `area`, without any
    // painting, where it is opaque and covers the area at whole pixels: a
    // share of its scaled copy, or a plain copy at 100 %.
    std::optional<QImage> pictureOnly(const QRect& area, qreal dpr);
    // One annotation of the layer: from its kept copy when it has not
    // changed, then its selection.
    void layAnnotation(QPainter& p, const AnnotationObject& a, const Laid& laid, const QRectF& area, qreal dpr);
    struct Sprite;
    // Where a kept copy of an annotation must reach (the part in the layer)
    // and how far it is painted (a little more), in device pixels of the
    // content; none when the annotation is outside the layer.
    struct SpriteRects {
        QRect needed;
        QRect kept;
    };
    std::optional<SpriteRects> spriteRects(const AnnotationObject& a, const QRectF& area, qreal dpr) const;
    bool spriteFits(const Sprite& sprite, const AnnotationObject& shown, const QRect& needed, qreal dpr) const;
    // Paints the copies a layer build is going to need side by side.
    void prepareSprites(const QList<AnnotationObject>& annotations, const QList<Laid>& laid, const QRectF& area,
                        qreal dpr);
    // The kept copy of an annotation, painted anew when it changed or covers
    // less than needed; none when too large to keep.
    const Sprite* spriteFor(const QUuid& id, const AnnotationObject& shown, const SpriteRects& rects, qreal dpr);
    // What painting an annotation reads that only the main thread may fetch.
    struct Inputs {
        QImage blurred; // blur areas: the whole picture blurred
        QImage picture; // inserted pictures, decoded
    };
    Inputs inputsFor(const AnnotationObject& a);
    void paintSprite(Sprite& sprite, const Inputs& inputs) const;
    // The annotation in its own right, through the renderer.
    void paintAnnotation(QPainter& p, const AnnotationObject& a);
    void paintShown(QPainter& p, const AnnotationObject& a, const Inputs& inputs) const;
    // What is painted for an annotation now: a speech bubble whose words
    // are being edited shows no text; a text being edited shows nothing.
    std::optional<AnnotationObject> shownAs(const AnnotationObject& a) const;
    void paintSelection(QPainter& p, const AnnotationObject& a, bool grips);
    void paintMarquee(QPainter& p);
    void paintCropOverlay(QPainter& p);
    // Where an annotation can paint, in image pixels.
    QRectF paintExtent(const AnnotationObject& a) const;
    QRectF toView(const QRectF& imageRect) const;

    EditorViewModel& m_vm;
    const DrawingGesture& m_drawing;
    const SelectionDrag& m_selection;
    const CropTool& m_crop;
    const TextEntry& m_textEntry;
    QSizeF m_contentSize;
    QColor m_backdrop = Qt::transparent;
    EmbeddedImageCache m_pictures;
    BlurPreviewCache m_blurred;

    QImage m_scaled; // the picture at the content size, when that is small enough
    qint64 m_scaledKey = 0;
    // The scaled copy being made off the main thread, and what it will be.
    struct Scaling {
        QFuture<QImage> result;
        qint64 pictureKey = 0;
        QSize device;
    };
    std::optional<Scaling> m_scaling;
    // Not the shared pool: Qt spreads a smooth scale over that one's threads,
    // but not when it is itself running on one of them.
    QThreadPool m_scalers;

    QImage m_layer;
    QRect m_layerArea;
    bool m_layerValid = false;
    // The layer in three parts: the picture and the annotations below the
    // ones that changed lately, those (painted on every build), and the
    // annotations above them on a transparent image.
    struct PartsKey {
        QRect area;
        qreal dpr = 1;
        QSizeF contentSize;
        qint64 pictureKey = 0;
        bool operator==(const PartsKey&) const = default;
    };
    QImage m_below;
    QImage m_above;
    QList<Laid> m_laid;
    qsizetype m_middleBegin = 0;
    qsizetype m_middleEnd = 0;
    PartsKey m_partsKey;
    bool m_partsValid = false;

    // One annotation painted on its own at the current zoom.
    struct Sprite {
        AnnotationObject shown;
        QSizeF contentSize;
        qreal dpr = 1;
        qint64 pictureKey = 0; // blur areas and loupes show the picture
        QPoint origin;         // device pixels of the content
        QImage image;
    };
    QCache<QUuid, Sprite> m_sprites;
    // This build needs more copies than the cache holds.
    bool m_paintDirectly = false;
};
