#pragma once
// Small outlines drawn by the editor toolbar.
#include <QPainterPath>
#include <QRectF>

namespace ToolbarShapes {

// One horizontal line through the vertical middle across the full width; the
// caller strokes it with its own dash pattern.
QPainterPath dashedLineIcon(const QRectF& rect);
// A triangle with its apex at the top middle and its base on the bottom edge:
// the arrow of a tooltip pointing up at its control.
QPainterPath tooltipTriangle(const QRectF& rect);

} // namespace ToolbarShapes
