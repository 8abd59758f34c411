#include "Editor/CursorArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <optional>

namespace {

// Outlines are designed on a 180-pixel square. Arrow tip at (36, 24),
// fingertip at (73.8, 33.6): the hotspots of the cursor table.
QPainterPath arrowOutline()
{
    const QPointF tip(36, 24);
    const QPointF corners[] = {{0, 0}, {0, 104}, {24, 81}, {39, 115}, {56, 108}, {41, 75}, {73, 75}};
    QPainterPath path;
    path.moveTo(tip + corners[0]);
    for (size_t i = 1; i < std::size(corners); ++i)
        path.lineTo(tip + corners[i]);
    path.closeSubpath();
    return path;
}

QPainterPath roundedBox(double x, double y, double w, double h, double r)
{
    QPainterPath p;
    p.addRoundedRect(QRectF(x, y, w, h), r, r);
    return p;
}

QPainterPath handOutline()
{
    // Index finger: 22 wide, its rounded top touching y = 33.6 at x = 73.8.
    QPainterPath hand = roundedBox(62.8, 33.6, 22, 84, 11);
    hand = hand.united(roundedBox(84.8, 78, 20, 48, 10));   // middle finger
    hand = hand.united(roundedBox(104.8, 84, 19, 44, 9.5)); // ring finger
    hand = hand.united(roundedBox(123.8, 92, 17, 38, 8.5)); // little finger
    hand = hand.united(roundedBox(57, 104, 83.8, 54, 16));  // palm
    QPainterPath thumb = roundedBox(-24, -10, 48, 20, 10);
    thumb = QTransform().translate(50, 116).rotate(-38).map(thumb);
    hand = hand.united(thumb);
    hand = hand.united(roundedBox(66, 148, 68, 18, 4)); // cuff
    return hand.simplified();
}

// Creases between the folded fingers, drawn in the outline colour.
QPainterPath handCreases()
{
    QPainterPath lines;
    for (const double x : {84.8, 104.8, 123.8}) {
        lines.moveTo(x, 96);
        lines.lineTo(x, 114);
    }
    lines.moveTo(70, 148);
    lines.lineTo(130, 148);
    return lines;
}

struct Look {
    std::optional<QColor> fill;
    QColor line;
    double lineWidth;
    // Outline only: the line runs on the edge with a thin white rim around it.
    bool wire = false;
};

std::optional<Look> lookOf(const QString& family)
{
    if (family == QLatin1String("solid"))
        return Look{QColor(Qt::black), QColor(Qt::white), 6};
    if (family == QLatin1String("soft"))
        return Look{QColor(Qt::white), QColor(196, 196, 196), 5};
    if (family == QLatin1String("wire"))
        return Look{std::nullopt, QColor(34, 34, 34), 5, true};
    if (family == QLatin1String("frosted"))
        return Look{QColor(233, 233, 233, 170), QColor(250, 250, 250), 5};
    if (family == QLatin1String("windows"))
        return Look{QColor(Qt::white), QColor(Qt::black), 4};
    return std::nullopt;
}

} // namespace

QImage CursorArtwork::paint(const QString& style, int side)
{
    const int split = style.indexOf(QLatin1Char('_'));
    const auto look = lookOf(style.left(split));
    const QString shape = style.mid(split + 1);
    if (split < 0 || !look || (shape != QLatin1String("arrow") && shape != QLatin1String("pointer")) || side < 1)
        return {};
    const bool hand = shape == QLatin1String("pointer");
    const QPainterPath outline = hand ? handOutline() : arrowOutline();

    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 180.0, side / 180.0);
    const auto pen = [](const QColor& c, double w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); };
    if (look->wire) {
        p.strokePath(outline, pen(Qt::white, look->lineWidth + 4));
        p.strokePath(outline, pen(look->line, look->lineWidth));
        if (hand)
            p.strokePath(handCreases(), pen(look->line, look->lineWidth * 0.5));
        return image;
    }
    // The rim is stroked twice as wide and half covered by the fill. Under a
    // translucent fill it is kept outside the shape, so no band shows through.
    p.save();
    if (look->fill->alpha() < 255) {
        QPainterPath outside;
        outside.addRect(QRectF(-10, -10, 200, 200));
        p.setClipPath(outside.subtracted(outline));
    }
    p.strokePath(outline, pen(look->line, 2 * look->lineWidth));
    p.restore();
    p.fillPath(outline, *look->fill);
    if (hand)
        p.strokePath(handCreases(), pen(look->line, 2.5));
    return image;
}
