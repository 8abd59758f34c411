#pragma once
// The small picture of one cursor style for the toolbar: the built-in pointer
// picture fitted into a square box, and for a click style the two click rings
// around its hotspot, in the highlight colour, behind it.
#include <QColor>
#include <QRectF>
#include <QString>

class QPainter;

namespace CursorThumbnail {

// Draws the style centred in area, its picture box × box.
void paint(QPainter& p, const QString& style, const QRectF& area, qreal box, const QColor& ringColor);
// The centre of the click rings: the hotspot of the style's picture in the
// box centred in area.
QPointF ringCentre(const QString& style, const QRectF& area, qreal box);

} // namespace CursorThumbnail
