#include "Ui/Theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace Theme {

namespace {
qreal logicalDpi()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchY();
    return 96.0;
}

QPalette paletteOf(const QWidget* w) { return w ? w->palette() : QApplication::palette(); }
} // namespace

QFont font(qreal px, QFont::Weight weight)
{
    QFont f = QApplication::font();
    f.setPointSizeF(px * 72.0 / logicalDpi());
    f.setWeight(weight);
    return f;
}

QFont roundedFont(qreal px, QFont::Weight weight)
{
    QFont f = font(px, weight);
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name : {"Nunito", "Varela Round", "M PLUS Rounded 1c"})
            if (families.contains(QLatin1String(name)))
                return QString::fromLatin1(name);
        return QString();
    }();
    if (!family.isEmpty())
        f.setFamily(family);
    return f;
}

QColor withAlpha(QColor c, qreal opacity)
{
    c.setAlphaF(float(c.alphaF() * opacity));
    return c;
}

void setForeground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

QColor primary(const QWidget* w) { return paletteOf(w).color(QPalette::Text); }
QColor primary(qreal opacity, const QWidget* w) { return withAlpha(primary(w), opacity); }
QColor secondary(const QWidget* w) { return primary(secondaryOpacity, w); }
QColor tertiary(const QWidget* w) { return primary(tertiaryOpacity, w); }
QColor accent(const QWidget* w) { return paletteOf(w).color(QPalette::Highlight); }
QColor textBackground(const QWidget* w) { return paletteOf(w).color(QPalette::Base); }
QColor windowBackground(const QWidget* w) { return paletteOf(w).color(QPalette::Window); }

namespace {
qreal luminance(const QColor& c)
{
    auto linear = [](qreal v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

QColor over(const QColor& top, qreal opacity, const QColor& below)
{
    const auto mix = [opacity](qreal a, qreal b) { return float(a * opacity + b * (1 - opacity)); };
    return QColor::fromRgbF(mix(top.redF(), below.redF()), mix(top.greenF(), below.greenF()),
                            mix(top.blueF(), below.blueF()));
}
} // namespace

qreal contrastRatio(const QColor& a, const QColor& b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor readableSecondary(const QWidget* w)
{
    const QColor text = primary(w);
    const QColor background = windowBackground(w);
    qreal opacity = secondaryOpacity * text.alphaF();
    QColor shown = over(text, opacity, background);
    while (contrastRatio(shown, background) < readableContrast && opacity < 1) {
        opacity = qMin<qreal>(1, opacity + 0.02);
        shown = over(text, opacity, background);
    }
    return shown;
}

QColor orange() { return QColor(255, 149, 0); }
QColor yellow() { return QColor(255, 204, 0); }
QColor green() { return QColor(52, 199, 89); }
QColor red() { return QColor(255, 59, 48); }
QColor brandRed() { return QColor::fromRgbF(0.91f, 0.27f, 0.23f, 1.0f); }

} // namespace Theme
