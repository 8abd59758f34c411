#pragma once
// Where the tip of each built-in mouse-pointer picture sits: fractions of the
// picture's side from its top-left corner. Plain geometry, so the record's
// bounding box can place a cursor annotation; the pictures themselves belong
// to the editor (CursorAssets).
#include <QHash>
#include <QPointF>
#include <QString>

class CursorHotspots {
public:
    // Style name -> hotspot. Built once, never changes.
    static const QHash<QString, QPointF>& table();
    // A click variant shows its base style's picture:
    // "…arrowClick" loses "Click", "…ptrClick" becomes "…pointer".
    static QString baseStyle(const QString& name);
    // Used wherever a style is not in the table.
    static constexpr double defaultX = 0.2;
    static constexpr double defaultY = 0.13;
    // The hotspot of any style name: its base style's entry, else the default.
    static QPointF of(const QString& style);
};
