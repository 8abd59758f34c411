#pragma once
// What painting an annotation may show of the picture beneath it. The flattened
// picture and the canvas fill in what they have; a kind that needs a part
// that is missing paints nothing.
#include <QImage>
#include <QPoint>

struct AnnotationBackdrop {
    // The picture as it was before any annotation: loupes magnify it.
    const QImage* picture = nullptr;
    // Blur areas: the picture processed, whole or a piece of it ...
    const QImage* blurred = nullptr;
    // ... whose top-left pixel lies here in the picture.
    QPoint blurredOrigin;
    // An inserted picture already decoded; without it the kind decodes its data.
    const QImage* decoded = nullptr;
};
