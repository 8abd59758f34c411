#pragma once
// How the device pixels of the X server and the global points of
// ScreenSource.h meet. Each screen keeps its top-left corner in both and
// divides its size by its scale, as Qt lays out screens at a scale other
// than 1 (Xft.dpi, QT_SCALE_FACTOR): with two 1920-pixel screens side by
// side at scale 2 the second starts at point 1920 and is 960 points wide.
// A value; without screens pixels and points are the same.
#include "Platform/ScreenSource.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>

class DesktopPixels {
public:
    struct Screen {
        QRect pixels; // the screen in device pixels; its top-left is also its top-left in points
        qreal scale = 1.0;
    };

    DesktopPixels() = default;
    explicit DesktopPixels(QList<Screen> screens);
    // The layout of these screens: each one's frame in points and its scale.
    static DesktopPixels of(const QList<ScreenInfo>& screens);

    // A place belongs to the screen that holds it, else to the nearest one; a
    // rectangle to the screen of its centre.
    QPointF toPoints(QPointF pixel) const;
    QRectF toPoints(const QRectF& pixels) const;
    QPointF toPixels(QPointF point) const;
    QRectF toPixels(const QRectF& points) const;

    const QList<Screen>& screens() const { return m_screens; }

private:
    const Screen* screenOfPixel(QPointF pixel) const;
    const Screen* screenOfPoint(QPointF point) const;

    QList<Screen> m_screens;
};
