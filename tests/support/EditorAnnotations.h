#pragma once
// Annotations and history entries for the editor's tests and benchmark.
#include "Models/AnnotationObject.h"
#include "Models/ScreenshotItem.h"

inline AnnotationObject shape(AnnotationKind kind, QList<QPointF> points, double lineWidth = 4)
{
    AnnotationObject a;
    a.kind = kind;
    a.lineWidth = lineWidth;
    a.points = std::move(points);
    return a;
}

// A history entry carrying the annotations an editor opens with.
inline ScreenshotItem itemWith(const QList<AnnotationObject>& annotations)
{
    ScreenshotItem item;
    item.annotations = annotations;
    return item;
}
