#include "Editor/Kinds/AnnotationKindBehaviour.h"

#include <cmath>

void AnnotationKindBehaviour::dragTo(QList<QPointF>& points, QPointF to) const
{
    if (points.size() < 2)
        points = {to, to};
    else
        points[1] = to;
}

bool AnnotationKindBehaviour::isDrawn(const QList<QPointF>& points) const
{
    if (points.size() < 2)
        return false;
    const QPointF delta = points[1] - points[0];
    return std::hypot(delta.x(), delta.y()) >= 3;
}

AnnotationObject AnnotationKindBehaviour::gripDragged(const AnnotationObject& a, DragHandle grip, QPointF to,
                                                      const AnnotationObject& start) const
{
    AnnotationObject changed = a;
    if (a.points.size() < 2)
        return changed;
    const QRectF before = QRectF(start.points.value(0), start.points.value(1)).normalized();
    QList<QPointF>& p = changed.points;
    switch (grip) {
    case DragHandle::topLeft: p[0] = before.bottomRight(), p[1] = to; break;
    case DragHandle::topRight: p[0] = before.bottomLeft(), p[1] = to; break;
    case DragHandle::bottomLeft: p[0] = before.topRight(), p[1] = to; break;
    case DragHandle::bottomRight: p[0] = before.topLeft(), p[1] = to; break;
    case DragHandle::arrowStart: p[0] = to; break;
    case DragHandle::arrowEnd: p[1] = to; break;
    case DragHandle::tail:
    case DragHandle::tailBase:
    case DragHandle::body: break;
    }
    return changed;
}
