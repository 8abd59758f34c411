#pragma once
// The built-in mouse-pointer pictures of the cursor tool. For now only their
// hotspots: where the pointer's tip sits, as fractions of the picture's side
// from its top-left corner.
#include <QHash>
#include <QPointF>
#include <QString>

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
};
