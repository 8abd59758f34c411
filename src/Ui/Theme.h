#pragma once
// The look shared by every view: fonts sized in logical pixels (the sizes the
// layouts are drawn in), the label colours derived from the palette and the
// few fixed system colours.
#include <QColor>
#include <QFont>

class QWidget;

namespace Theme {

// A font of the given size in logical pixels. A point size at 96 dpi would come
// out a third too big, so the pixel size is turned into points for the screen.
QFont font(qreal px, QFont::Weight weight = QFont::Normal);
// The rounded design of the system font where one is installed, else the plain one.
QFont roundedFont(qreal px, QFont::Weight weight = QFont::Normal);

// Text styles of the platform conventions, in logical pixels.
constexpr qreal bodySize = 13;
constexpr qreal calloutSize = 12;
constexpr qreal captionSize = 10;
constexpr qreal headlineSize = 13;
constexpr qreal titleSize = 22;

// Label colours: primary is the palette's text colour; the others are it at
// reduced opacity. Taken from the widget's palette when one is given.
QColor primary(const QWidget* w = nullptr);
QColor primary(qreal opacity, const QWidget* w = nullptr);
QColor secondary(const QWidget* w = nullptr);
QColor tertiary(const QWidget* w = nullptr);
QColor accent(const QWidget* w = nullptr);
QColor textBackground(const QWidget* w = nullptr);
QColor windowBackground(const QWidget* w = nullptr);

// Small secondary text that stays readable: the secondary colour made just
// strong enough for 4.5:1 against the window background, as an opaque colour.
QColor readableSecondary(const QWidget* w = nullptr);
// The contrast ratio of two opaque colours (1 to 21), as accessibility
// guidelines measure it.
qreal contrastRatio(const QColor& a, const QColor& b);
constexpr qreal readableContrast = 4.5;

constexpr qreal secondaryOpacity = 0.5;
constexpr qreal tertiaryOpacity = 0.26;

// Fixed system colours (sRGB).
QColor orange();
QColor yellow();
QColor green();
QColor red();
// The brand red of the word mark and the logo.
QColor brandRed();

QColor withAlpha(QColor c, qreal opacity);

// Draws the widget's text (a label's, for instance) in the colour.
void setForeground(QWidget* w, const QColor& colour);

} // namespace Theme
