#pragma once
// Burns annotations into a picture: the one drawing code behind copy, save,
// share, pins and text recognition, and the shapes of the canvas's preview.
// Everything works in image pixels, origin top-left, y downwards, on any
// QPainter; nothing here keeps state between calls. How each kind looks is
// its own (AnnotationKinds); this holds what all of them share.
#include "Editor/Kinds/AnnotationBackdrop.h"
#include "Models/AnnotationObject.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QSizeF>
#include <optional>

class AnnotationRenderer {
public:
    // The picture with every annotation drawn over it in list order (later
    // ones on top), as premultiplied ARGB32 of the picture's pixel size. Blur
    // areas and loupes show the picture as it was before any annotation.
    // A picture without pixels comes back unchanged.
    static QImage render(const QImage& image, const QList<AnnotationObject>& annotations);

    // One annotation of any kind, showing what it needs of the backdrop (a
    // blur area or loupe without its part of the backdrop paints nothing).
    // The painter may carry any transform on top of image pixels, such as
    // the canvas's zoom.
    static void paint(const AnnotationObject& annotation, QPainter& painter, const AnnotationBackdrop& backdrop = {});

    // The size the lines of a text take in the font of the text rule.
    static QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName);

    // The rectangle two points span (points 0 and 1); empty with fewer points.
    static QRectF area(const AnnotationObject& annotation);
    // An inserted picture's data decoded within a fixed memory budget, so a
    // crafted history file cannot exhaust memory; null when it cannot be read.
    static QImage decodeEmbeddedImage(const QByteArray& data);
};
