#pragma once
// Our own pointer artwork: a slanted arrow and a pointing hand, drawn as
// vector outlines in five looks. The arrow's tip and the index finger's tip
// sit on the hotspots of CursorAssets.
#include <QImage>
#include <QString>

class CursorArtwork {
public:
    // `style` is a base style ("solid_arrow", "frosted_pointer", …); the
    // picture is side × side on a transparent background, null for a style
    // without artwork.
    static QImage paint(const QString& style, int side);
};
