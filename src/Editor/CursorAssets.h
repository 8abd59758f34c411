#pragma once
// The built-in mouse-pointer pictures of the cursor tool and their hotspots:
// where the pointer's tip sits, as fractions of the picture's side from its
// top-left corner. Every place that draws, sizes or hit-tests a cursor
// annotation asks here, so they all agree.
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QString>
#include <array>

class CursorAssets {
public:
    // Style name -> hotspot. Built once, never changes.
    static const QHash<QString, QPointF>& hotspots();
    // The picture a click variant shows is its base style's picture:
    // "…arrowClick" loses "Click", "…ptrClick" becomes "…pointer".
    static QString baseStyle(const QString& name);
    // Used wherever a style is not in the table.
    static constexpr double defaultHotspotX = 0.2;
    static constexpr double defaultHotspotY = 0.13;
    // The hotspot of any style name: its base style's entry, else the default.
    static QPointF hotspot(const QString& style);

    // Side of every picture in pixels.
    static constexpr int pictureSide = 180;
    // The picture of a style name (its base style's), premultiplied ARGB32 on
    // a transparent background; null for a name without one. Painted once per
    // base style, then shared.
    static QImage image(const QString& name);

    // Click variants show two rings around the hotspot.
    static bool isClickStyle(const QString& name);
    struct ClickRing {
        double radius;  // pixels, for the given cursor size
        double width;   // stroke width in pixels
        double opacity; // applied on top of the ring colour's own alpha
    };
    // Inner ring first.
    static std::array<ClickRing, 2> clickRings(double cursorSize);
};
