#include "Ui/IconRegistry.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace IconRegistry {

namespace {

struct Glyph {
    char16_t codepoint;
    bool slashed = false;
};

// Symbol name -> Material Icons codepoint.
const QHash<QString, Glyph>& table()
{
    static const QHash<QString, Glyph> t{
        {"crop", {0xe3be}},
        {"macwindow", {0xe069}},
        {"display", {0xe30c}},
        {"rectangle.portrait.arrowtriangle.2.outward", {0xea16}},
        {"rectangle.dashed", {0xe3c2}},
        {"rectangle.dashed.badge.record", {0xef52}},
        {"accessibility", {0xe84e}},
        {"info.circle", {0xe88f}},
        {"exclamationmark.triangle.fill", {0xe002}},
        {"checkmark.circle.fill", {0xe86c}},
        {"folder", {0xe2c7}},
        {"gearshape", {0xe8b8}},
        {"power", {0xe8ac}},
        {"clock", {0xe8b5}},
        {"keyboard", {0xe312}},
        {"computermouse", {0xe323}},
        {"lock.shield", {0xf0dc}},
        {"globe", {0xe894}},
        {"book", {0xea19}},
        {"questionmark.circle", {0xe8fd}},
        {"building.columns", {0xe84f}},
        {"doc.plaintext", {0xe873}},
        {"doc.on.doc", {0xe14d}},
        {"arrow.up.right", {0xf1e1}},
        {"trash", {0xe92e}},
        {"pencil", {0xe3c9}},
        {"star", {0xe83a}},
        {"star.fill", {0xe838}},
        {"star.slash", {0xe83a, true}},
        {"photo", {0xe410}},
        {"clipboard", {0xe14f}},
        {"magnifyingglass", {0xe8b6}},
        {"xmark.circle.fill", {0xe5c9}},
        {"minus", {0xe15b}},
        {"plus", {0xe145}},
        {"arrow.uturn.backward", {0xe166}},
        {"arrow.uturn.forward", {0xe15a}},
        {"arrow.counterclockwise", {0xe5d5}},
        {"text.viewfinder", {0xe5fa}},
        {"pin", {0xf10d}},
        {"pin.fill", {0xf10d}},
        {"circle.lefthalf.filled", {0xeb37}},
        {"square.and.arrow.up", {0xe6b8}},
        {"square.and.arrow.down", {0xf090}},
        {"bubble.left", {0xe0cb}},
        {"oval", {0xe40c}},
        {"rectangle", {0xe835}},
        {"cloud", {0xe2bd}},
        {"drop.fill", {0xe798}},
        {"circle.dashed", {0xe836}},
        {"circle.fill", {0xef4a}},
        {"number", {0xe9ef}},
        {"paintpalette", {0xe40a}},
        // The editor's tools and toolbar.
        {"circle", {0xe836}},
        {"textformat", {0xe262}},
        {"text.bubble", {0xe0d8}},
        {"aqi.medium", {0xe3a5}},
        {"plus.magnifyingglass", {0xe8ff}},
        {"chevron.down", {0xe5cf}},
        {"chevron.left", {0xe5cb}},
        {"chevron.right", {0xe5cc}},
        {"plus.circle.fill", {0xe147}},
        {"photo.badge.plus", {0xe43e}},
        {"lineweight", {0xe91a}},
        {"aspectratio", {0xe85b}},
        {"dial.medium", {0xe9e4}},
        {"circle.dotted.circle", {0xe39e}},
        {"circle.circle", {0xe837}},
        {"square.grid.3x3.fill", {0xe3ec}},
        {"app", {0xe3c6}},
        {"t.square", {0xe167}},
        {"checkmark", {0xe5ca}},
        {"xmark", {0xe5cd}},
        {"pin.fill", {0xf10d}},
        {"circle.lefthalf.filled", {0xeb37}},
        {"timer", {0xe425}},
        {"arrow.up.left.and.arrow.down.right", {0xf1ce}},
        {"slider.horizontal.below.rectangle", {0xe91c}},
    };
    return t;
}

// The icon font while it is loaded: added from its file (FreeType maps the
// file rather than the program keeping a copy of it), until unloadFont().
struct LoadedFont {
    bool tried = false;
    int id = -1;
    QString family;
};

LoadedFont& loaded()
{
    static LoadedFont font;
    return font;
}

// What hasGlyph() found per name while the font is loaded.
QHash<QString, bool>& knownGlyphs()
{
    static QHash<QString, bool> known;
    return known;
}

// Family of the loaded icon font; empty when it could not be loaded.
const QString& iconFamily()
{
    LoadedFont& font = loaded();
    if (!font.tried) {
        font.tried = true;
        font.id = QFontDatabase::addApplicationFont(fontPath());
        const QStringList families = font.id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(font.id);
        font.family = families.isEmpty() ? QString() : families.first();
    }
    return font.family;
}

QFont iconFont(qreal pixelSize)
{
    QFont f(iconFamily());
    f.setPixelSize(qMax(1, qRound(pixelSize)));
    f.setStyleStrategy(QFont::NoFontMerging);
    return f;
}

// Symbols with no fitting glyph in the icon font, drawn as outlines in a unit
// square (0…1 on both axes) scaled to the icon's size.
using Drawer = void (*)(QPainter&, const QRectF& box, const QColor& color);

void drawCursorArrow(QPainter& p, const QRectF& b, const QColor& color)
{
    auto at = [&b](qreal x, qreal y) { return QPointF(b.left() + x * b.width(), b.top() + y * b.height()); };
    QPainterPath arrow;
    arrow.moveTo(at(0.30, 0.10));
    arrow.lineTo(at(0.30, 0.82));
    arrow.lineTo(at(0.46, 0.66));
    arrow.lineTo(at(0.57, 0.90));
    arrow.lineTo(at(0.67, 0.86));
    arrow.lineTo(at(0.56, 0.62));
    arrow.lineTo(at(0.77, 0.62));
    arrow.closeSubpath();
    p.fillPath(arrow, color);
}

void drawLineDiagonal(QPainter& p, const QRectF& b, const QColor& color)
{
    p.setPen(QPen(color, qMax(1.0, b.width() / 11.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(b.left() + 0.2 * b.width(), b.top() + 0.8 * b.height()),
               QPointF(b.left() + 0.8 * b.width(), b.top() + 0.2 * b.height()));
}

void drawNumberCircleFill(QPainter& p, const QRectF& b, const QColor& color)
{
    QPainterPath disc;
    QRectF circle(0, 0, b.width() * 0.84, b.height() * 0.84);
    circle.moveCenter(b.center());
    disc.addEllipse(circle);
    // The digit is cut out of the disc, so it shows whatever lies below.
    QFont f;
    f.setPixelSize(qMax(1, qRound(b.height() * 0.56)));
    f.setBold(true);
    QPainterPath digit;
    digit.addText(0, 0, f, QStringLiteral("1"));
    const QRectF d = digit.boundingRect();
    digit.translate(b.center() - d.center());
    p.fillPath(disc.subtracted(digit), color);
}

// Selecting text: three lines of text, the middle one marked, and a text
// cursor at its end (the text tool's glyph is a pair of letters).
void drawTextSelection(QPainter& p, const QRectF& b, const QColor& color)
{
    auto at = [&b](qreal x, qreal y) { return QPointF(b.left() + x * b.width(), b.top() + y * b.height()); };
    const qreal stroke = qMax(1.0, b.width() / 12.0);
    p.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(0.12, 0.24), at(0.62, 0.24));
    p.drawLine(at(0.12, 0.76), at(0.50, 0.76));
    QColor marked = color;
    marked.setAlphaF(color.alphaF() * 0.35f);
    p.fillRect(QRectF(at(0.08, 0.38), at(0.70, 0.62)), marked);
    p.drawLine(at(0.12, 0.50), at(0.62, 0.50));
    // The I-beam: a bar with short serifs at both ends.
    p.drawLine(at(0.80, 0.16), at(0.80, 0.84));
    p.drawLine(at(0.70, 0.16), at(0.90, 0.16));
    p.drawLine(at(0.70, 0.84), at(0.90, 0.84));
}

const QHash<QString, Drawer>& drawn()
{
    static const QHash<QString, Drawer> t{
        {"character.cursor.ibeam", &drawTextSelection},
        {"cursorarrow", &drawCursorArrow},
        {"line.diagonal", &drawLineDiagonal},
        {"number.circle.fill", &drawNumberCircleFill},
    };
    return t;
}

void paintFallback(QPainter& p, const QRectF& rect, const QColor& color, qreal px)
{
    const qreal side = px * 0.7;
    QRectF box(0, 0, side, side);
    box.moveCenter(rect.center());
    p.setPen(QPen(color, qMax(1.0, px / 12.0)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(box, side * 0.2, side * 0.2);
}

} // namespace

QString fontPath()
{
    return QStringLiteral("/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
}

void unloadFont()
{
    LoadedFont& font = loaded();
    if (font.id >= 0)
        QFontDatabase::removeApplicationFont(font.id);
    font = LoadedFont();
    knownGlyphs().clear();
}

bool knows(const QString& symbolName) { return table().contains(symbolName) || drawn().contains(symbolName); }

bool resolves(const QString& symbolName) { return drawn().contains(symbolName) || hasGlyph(symbolName); }

bool hasGlyph(const QString& symbolName)
{
    // Asked on every paint: the answer per name is kept.
    QHash<QString, bool>& known = knownGlyphs();
    const auto cached = known.constFind(symbolName);
    if (cached != known.constEnd())
        return *cached;
    const auto it = table().constFind(symbolName);
    const bool has = it != table().constEnd() && !iconFamily().isEmpty() &&
                     QFontMetricsF(iconFont(24)).inFontUcs4(it->codepoint);
    known.insert(symbolName, has);
    return has;
}

void paint(QPainter& p, const QString& symbolName, const QRectF& rect, const QColor& color, qreal px)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    if (const auto d = drawn().constFind(symbolName); d != drawn().constEnd()) {
        QRectF box(0, 0, px, px);
        box.moveCenter(rect.center());
        (*d)(p, box, color);
        p.restore();
        return;
    }
    const auto it = table().constFind(symbolName);
    if (it == table().constEnd() || !hasGlyph(symbolName)) {
        paintFallback(p, rect, color, px);
        p.restore();
        return;
    }
    p.setFont(iconFont(px));
    p.setPen(color);
    QRectF glyphRect(0, 0, px, px);
    glyphRect.moveCenter(rect.center());
    p.drawText(glyphRect, Qt::AlignCenter, QString(QChar(it->codepoint)));
    if (it->slashed) {
        // A diagonal bar with a gap in the background colour's place, the way
        // the ".slash" symbols read.
        const qreal w = qMax(1.0, px / 12.0);
        const QPointF a = glyphRect.topLeft() + QPointF(px * 0.12, px * 0.12);
        const QPointF b = glyphRect.bottomRight() - QPointF(px * 0.12, px * 0.12);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(QPen(Qt::transparent, w * 3, Qt::SolidLine, Qt::RoundCap));
        if (p.device() && p.device()->devType() == QInternal::Image)
            p.drawLine(a + QPointF(w, -w), b + QPointF(w, -w));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(QPen(color, w * 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(a, b);
    }
    p.restore();
}

QPixmap pixmap(const QString& symbolName, qreal pixelSize, const QColor& color, qreal dpr)
{
    const int side = qMax(1, qCeil(pixelSize * dpr));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(dpr);
    {
        QPainter p(&image);
        paint(p, symbolName, QRectF(0, 0, pixelSize, pixelSize), color, pixelSize);
    }
    return QPixmap::fromImage(image);
}

QIcon icon(const QString& symbolName, qreal pixelSize, const QColor& color)
{
    QIcon result;
    result.addPixmap(pixmap(symbolName, pixelSize, color, 1.0));
    result.addPixmap(pixmap(symbolName, pixelSize, color, 2.0));
    return result;
}

} // namespace IconRegistry
