#pragma once
// The built-in mouse-pointer pictures of the cursor tool and their hotspots:
// where the pointer's tip sits, as fractions of the picture's side from its
// top-left corner. Every place that draws, sizes or hit-tests a cursor
// annotation asks here or, below the editor, CursorHotspots, so they all agree.
#include "Models/CursorHotspots.h"

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QString>
#include <array>

class CursorAssets {
public:
    // The hotspots are plain geometry the record's bounding box needs as
    // well: they live with the record (CursorHotspots); these read them.
    static QString baseStyle(const QString& name) { return CursorHotspots::baseStyle(name); }
    static constexpr double defaultHotspotX = CursorHotspots::defaultX;
    static constexpr double defaultHotspotY = CursorHotspots::defaultY;
    static QPointF hotspot(const QString& style) { return CursorHotspots::of(style); }

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
