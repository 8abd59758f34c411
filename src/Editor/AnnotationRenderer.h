#pragma once
// Burns annotations into a picture: the one drawing code behind copy, save,
// share, pins and text recognition, and the shapes of the canvas's preview.
// Everything works in image pixels, origin top-left, y downwards, on any
// QPainter; nothing here keeps state between calls.
#include "Models/AnnotationObject.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QSizeF>
#include <optional>

class AnnotationRenderer {
public:
    // The picture with every annotation drawn over it in list order (later
    // ones on top), as premultiplied ARGB32 of the picture's pixel size. Blur
    // areas and loupes show the picture as it was before any annotation.
    // A picture without pixels comes back unchanged.
    static QImage render(const QImage& image, const QList<AnnotationObject>& annotations);

    // One annotation of any kind but blur and magnifier (those need the
    // picture; see render, drawLoupe). The painter may carry any transform on
    // top of image pixels, such as the canvas's zoom.
    static void draw(const AnnotationObject& annotation, QPainter& painter);
    // A loupe: `source` magnified about the area's centre inside the ellipse
    // of the area, with its ring.
    static void drawLoupe(const AnnotationObject& magnifier, const QImage& source, QPainter& painter);

    // The size the lines of a text take in the font of the text rule.
    static QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName);

    // The rectangle two points span (points 0 and 1); empty with fewer points.
    static QRectF area(const AnnotationObject& annotation);
    // The freehand curve: quadratic pieces through the midpoints between
    // samples, each sample the control point of its piece.
    static QPainterPath smoothedPath(const QList<QPointF>& points);
    // An inserted picture's data decoded within a fixed memory budget, so a
    // crafted history file cannot exhaust memory; null when it cannot be read.
    static QImage decodeEmbeddedImage(const QByteArray& data);
};
