#pragma once
// The selection overlay's rules without any widget: which window is under the
// pointer, what a drag or a click selects, when a selection snaps to the whole
// screen, where the loupe and the badges go. Coordinates are the overlay's
// points, origin at the screen's top-left corner, y downwards; W x H is the
// screen's size in points and a point (x, y) lies at pixel (x, y) x scale of
// the still.
#include "Models/CoreTypes.h"
#include "Screenshot/DetectedWindow.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>
#include <optional>

class OverlayGeometry {
public:
    static constexpr qreal minDragSize = 6;
    static constexpr qreal fullCoverageRatio = 0.97;
    static constexpr qreal loupeRadius = 62;
    static constexpr qreal loupeZoom = 8;
    static constexpr int loupeGridPixels = 19;
    static constexpr qreal loupeOffset = 28;

    // A listed window as this screen sees it.
    struct LocalWindow {
        DetectedWindow source;
        QRectF frameLocal;
    };
    // What a release selects, in pixels of the still.
    struct Choice {
        QRectF pixelRect;
        CaptureKind kind = CaptureKind::area;
        std::optional<quint32> windowID;
        bool operator==(const Choice&) const = default;
    };

    OverlayGeometry(QSizeF size, qreal scale, QList<LocalWindow> windows = {});

    // The windows that touch a screen with this frame (global points), front to back.
    static QList<LocalWindow> localWindows(const QList<DetectedWindow>& windows, const QRectF& screenFrame);

    QSizeF size() const { return m_size; }
    qreal scale() const { return m_scale; }
    const QList<LocalWindow>& windows() const { return m_windows; }

    // The frontmost window containing the point.
    std::optional<LocalWindow> windowAt(QPointF point) const;
    // Whether a press that went from `start` to `current` is a drag.
    static bool travelledFarEnough(QPointF start, QPointF current);
    // The rectangle the two points span, cut to the screen.
    QRectF spanned(QPointF a, QPointF b) const;
    bool shouldSnapToFullScreen(const QRectF& selection) const;

    Choice dragSelection(QPointF start, QPointF end) const;
    Choice click(QPointF point) const;
    Choice wholeScreen() const;
    QRectF toPixels(const QRectF& points) const;

    // Undimmed part: the dragged rectangle (the whole screen when it snaps) or
    // the hovered window cut to the screen.
    std::optional<QRectF> highlightRect(std::optional<QPointF> dragStart, std::optional<QPointF> dragCurrent,
                                        bool dragging, const std::optional<LocalWindow>& hovered) const;

    // Badge texts: "W × H" of a size in points, in pixels rounded half away from zero.
    QString sizeText(QSizeF points) const;
    // Centre of a badge under a rectangle: 16 points below it, at least 18
    // points above the screen's bottom.
    QPointF badgeCentreBelow(const QRectF& rect) const;
    // A capsule of this size near a point (its left edge there, or centred on
    // it), vertically centred, kept 4 points inside the screen.
    QRectF capsule(QPointF near, QSizeF capsuleSize, bool centred) const;

    // The loupe's square for a pointer: right of and above the pointer, moved
    // to the other side where it would leave the screen.
    QRectF loupeRect(QPointF pointer) const;
    // Top-left pixel of the 19 x 19 square the loupe magnifies.
    static QPoint loupeSourceOrigin(QPointF pointer, qreal scale, QSize stillSize);
    // Where the magnified square is drawn so the pointer's pixel is at the centre.
    QRectF loupeImageRect(QPointF pointer, QPoint sourceOrigin) const;

    // The colour of one pixel of the still and its "#RRGGBB" text; none outside.
    static std::optional<std::pair<QColor, QString>> pixelColor(const QImage& still, int x, int y);

private:
    QSizeF m_size;
    qreal m_scale;
    QList<LocalWindow> m_windows;
};
