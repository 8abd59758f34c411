#include "Ui/ZentuMark.h"

#include "Ui/Theme.h"

#include <QFontInfo>

namespace {

QString cssFont(const QFont& font)
{
    const int px = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    // Whole pixels: Qt's rich text ignores a font size with decimals.
    return QStringLiteral("font-family:'%1'; font-size:%2px; font-weight:%3;")
        .arg(font.family())
        .arg(px)
        .arg(int(font.weight()));
}

QString cssColor(const QColor& c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF(), 0, 'f', 3);
}

} // namespace

QString zentuMark(const QFont& font, qreal dotPixelSize, const QWidget* styleSource)
{
    const QFont dotFont = Theme::font(dotPixelSize, QFont::ExtraBold);
    QFont base = font;
    // Font sizes in points are turned into pixels for the style sheet.
    if (base.pixelSize() <= 0)
        base.setPixelSize(QFontInfo(font).pixelSize());
    QFont dot = dotFont;
    dot.setPixelSize(qMax(1, qRound(dotPixelSize)));
    return QStringLiteral("<span style=\"white-space:pre; %1\">Zentu</span>"
                          "<span style=\"white-space:pre; %2 color:%3;\">.</span>"
                          "<span style=\"white-space:pre; %1 color:%4;\">it</span>")
        .arg(cssFont(base), cssFont(dot), cssColor(Theme::brandRed()), cssColor(Theme::secondary(styleSource)));
}
