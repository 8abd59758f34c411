#include "Ui/ToolbarShapes.h"

namespace ToolbarShapes {

QPainterPath dashedLineIcon(const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.lineTo(r.right(), r.center().y());
    return path;
}

QPainterPath tooltipTriangle(const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.center().x(), r.top());
    path.lineTo(r.left(), r.bottom());
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    return path;
}

} // namespace ToolbarShapes
