#include "Editor/Kinds/ImageKind.h"

#include "Editor/AnnotationRenderer.h"
#include "Editor/Kinds/AnnotationInk.h"

#include <QPainter>

void ImageKind::paint(const AnnotationObject& a, QPainter& p, const AnnotationBackdrop& backdrop) const
{
    if (a.points.size() < 2 || !a.imageData)
        return;
    const QImage picture = backdrop.decoded ? *backdrop.decoded : AnnotationRenderer::decodeEmbeddedImage(*a.imageData);
    if (picture.isNull())
        return;
    const AnnotationInk::ShapeState state(p);
    // Stretched to the area; the picture's own aspect ratio is not kept.
    p.drawImage(AnnotationRenderer::area(a), picture);
}
