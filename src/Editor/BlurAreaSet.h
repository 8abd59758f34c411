#pragma once
// The processed pixels behind the blur areas of one render. Areas of equal
// style and amount share their work: areas whose surroundings overlap are
// processed once as one rectangle, and only the areas plus the effect's reach
// are ever read, never the whole picture.
#include "Models/AnnotationObject.h"

#include <QImage>
#include <QList>
#include <QPoint>
#include <vector>

class BlurAreaSet {
public:
    BlurAreaSet(const QImage& source, const QList<AnnotationObject>& annotations);

    struct Piece {
        QImage image; // processed pixels
        QPoint origin; // where image's top-left pixel lies in the picture
    };
    // The piece covering a blur annotation's area; a null image when the
    // annotation has no area on the picture.
    Piece piece(const AnnotationObject& blur) const;

    // Style and amount as the processor takes them.
    static BlurStyle styleOf(const AnnotationObject& blur);
    static double amountOf(const AnnotationObject& blur);

private:
    struct Entry {
        BlurStyle style;
        double amount;
        QRect rect;
        QImage image;
    };
    QRect pixelArea(const AnnotationObject& blur) const;
    QRect m_bounds;
    std::vector<Entry> m_entries;
};
