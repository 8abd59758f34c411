#pragma once
// Stand-ins for the symbol names the views use ("crop", "star.fill", …):
// glyphs of the Material Icons font that Debian packages, loaded from its
// installed path, plus a slash overlay for the "….slash" variants, and a few
// outlines drawn here where the font has nothing fitting. Names without
// either, or a missing font, draw a neutral rounded square so a view never
// ends up blank.
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

namespace IconRegistry {

// Where the icon font is installed (Debian fonts-material-design-icons-iconfont).
QString fontPath();
// Lets go of the icon font, and with it every font engine and glyph Qt keeps
// for this thread (removing an application font empties Qt's font cache); the
// next symbol drawn loads it again.
void unloadFont();
// True when the icon font is loaded and the name maps to a glyph in it.
bool hasGlyph(const QString& symbolName);
// True when the name is one this registry knows.
bool knows(const QString& symbolName);
// True when the name draws as itself (a glyph or a drawn outline), not as the
// neutral square.
bool resolves(const QString& symbolName);

// Draws the symbol centred in rect, its glyph sized to pixelSize logical pixels.
void paint(QPainter& painter, const QString& symbolName, const QRectF& rect, const QColor& color,
           qreal pixelSize);
// The symbol in a square pixmap of pixelSize (for the device pixel ratio given).
QPixmap pixmap(const QString& symbolName, qreal pixelSize, const QColor& color, qreal dpr = 1.0);
QIcon icon(const QString& symbolName, qreal pixelSize, const QColor& color);

} // namespace IconRegistry
