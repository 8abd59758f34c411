#include "Models/CoreTypes.h"

#include "Localization/Localizer.h"

#include <QHash>

QString label(CaptureKind kind)
{
    switch (kind) {
    case CaptureKind::area: return Localizer::t(QStringLiteral("Bereich"));
    case CaptureKind::window: return Localizer::t(QStringLiteral("Fenster"));
    case CaptureKind::fullScreen: return Localizer::t(QStringLiteral("Ganzer Bildschirm"));
    case CaptureKind::scrolling: return Localizer::t(QStringLiteral("Scroll-Aufnahme"));
    }
    return {};
}

QString label(EditorTool tool)
{
    switch (tool) {
    case EditorTool::select: return Localizer::t(QStringLiteral("Auswahl"));
    case EditorTool::crop: return Localizer::t(QStringLiteral("Zuschneiden"));
    case EditorTool::arrow: return Localizer::t(QStringLiteral("Pfeil"));
    case EditorTool::line: return Localizer::t(QStringLiteral("Linie"));
    case EditorTool::rectangle: return Localizer::t(QStringLiteral("Rechteck"));
    case EditorTool::ellipse: return Localizer::t(QStringLiteral("Ellipse"));
    case EditorTool::freehand: return Localizer::t(QStringLiteral("Stift"));
    case EditorTool::text: return Localizer::t(QStringLiteral("Text"));
    case EditorTool::speechBubble: return Localizer::t(QStringLiteral("Sprechblase"));
    case EditorTool::badge: return Localizer::t(QStringLiteral("Nummer-Badge"));
    case EditorTool::blur: return Localizer::t(QStringLiteral("Unkenntlich machen"));
    case EditorTool::magnifier: return Localizer::t(QStringLiteral("Lupe"));
    case EditorTool::cursor: return Localizer::t(QStringLiteral("Cursor"));
    }
    return {};
}

QString systemImage(EditorTool tool)
{
    switch (tool) {
    case EditorTool::select: return QStringLiteral("cursorarrow");
    case EditorTool::crop: return QStringLiteral("crop");
    case EditorTool::arrow: return QStringLiteral("arrow.up.right");
    case EditorTool::line: return QStringLiteral("line.diagonal");
    case EditorTool::rectangle: return QStringLiteral("rectangle");
    case EditorTool::ellipse: return QStringLiteral("circle");
    case EditorTool::freehand: return QStringLiteral("pencil");
    case EditorTool::text: return QStringLiteral("textformat");
    case EditorTool::speechBubble: return QStringLiteral("text.bubble");
    case EditorTool::badge: return QStringLiteral("number.circle.fill");
    case EditorTool::blur: return QStringLiteral("aqi.medium");
    case EditorTool::magnifier: return QStringLiteral("plus.magnifyingglass");
    case EditorTool::cursor: return QStringLiteral("cursorarrow");
    }
    return {};
}

std::optional<AnnotationKind> annotationKind(EditorTool tool)
{
    switch (tool) {
    case EditorTool::select:
    case EditorTool::crop: return std::nullopt;
    case EditorTool::arrow: return AnnotationKind::arrow;
    case EditorTool::line: return AnnotationKind::line;
    case EditorTool::rectangle: return AnnotationKind::rectangle;
    case EditorTool::ellipse: return AnnotationKind::ellipse;
    case EditorTool::freehand: return AnnotationKind::freehand;
    case EditorTool::text: return AnnotationKind::text;
    case EditorTool::speechBubble: return AnnotationKind::speechBubble;
    case EditorTool::badge: return AnnotationKind::badge;
    case EditorTool::blur: return AnnotationKind::blur;
    case EditorTool::magnifier: return AnnotationKind::magnifier;
    case EditorTool::cursor: return AnnotationKind::cursor;
    }
    return std::nullopt;
}

QString label(SpeechBubbleStyle style)
{
    switch (style) {
    case SpeechBubbleStyle::rounded: return Localizer::t(QStringLiteral("Rund"));
    case SpeechBubbleStyle::oval: return Localizer::t(QStringLiteral("Oval"));
    case SpeechBubbleStyle::rectangle: return Localizer::t(QStringLiteral("Eckig"));
    case SpeechBubbleStyle::thought: return Localizer::t(QStringLiteral("Gedanke"));
    }
    return {};
}

std::optional<double> ratio(CropAspect aspect)
{
    switch (aspect) {
    case CropAspect::free: return std::nullopt;
    case CropAspect::r1_1: return 1.0;
    case CropAspect::r4_3: return 4.0 / 3.0;
    case CropAspect::r3_2: return 1.5;
    case CropAspect::r16_9: return 16.0 / 9.0;
    case CropAspect::r3_4: return 0.75;
    case CropAspect::r9_16: return 0.5625;
    }
    return std::nullopt;
}

QString label(CropAspect aspect)
{
    switch (aspect) {
    case CropAspect::free: return Localizer::t(QStringLiteral("Benutzerdefiniert"));
    case CropAspect::r1_1: return QStringLiteral("1:1");
    case CropAspect::r4_3: return QStringLiteral("4:3");
    case CropAspect::r3_2: return QStringLiteral("3:2");
    case CropAspect::r16_9: return QStringLiteral("16:9");
    case CropAspect::r3_4: return QStringLiteral("3:4");
    case CropAspect::r9_16: return QStringLiteral("9:16");
    }
    return {};
}

const std::array<RGBAColor, 8>& RGBAColor::palette()
{
    static const std::array<RGBAColor, 8> colors{{
        {0.9, 0.2, 0.2, 1.0}, {0.96, 0.55, 0.1, 1.0}, {0.98, 0.82, 0.1, 1.0}, {0.2, 0.7, 0.35, 1.0},
        {0.16, 0.5, 0.95, 1.0}, {0.55, 0.3, 0.85, 1.0}, {0.0, 0.0, 0.0, 1.0}, {1.0, 1.0, 1.0, 1.0}}};
    return colors;
}

QColor RGBAColor::toQColor() const
{
    return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
}

RGBAColor RGBAColor::fromQColor(const QColor& color)
{
    // Qt colours are sRGB; other specs (HSV, CMYK, …) convert, an invalid one is read as it is.
    const QColor c = color.isValid() ? color.toRgb() : color;
    return {c.redF(), c.greenF(), c.blueF(), c.alphaF()};
}

QJsonObject RGBAColor::toJson() const
{
    return {{"red", red}, {"green", green}, {"blue", blue}, {"alpha", alpha}};
}

std::optional<RGBAColor> RGBAColor::fromJson(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject o = value.toObject();
    for (const char* key : {"red", "green", "blue", "alpha"})
        if (!o.value(QLatin1String(key)).isDouble())
            return std::nullopt;
    return RGBAColor{o.value("red").toDouble(), o.value("green").toDouble(),
                     o.value("blue").toDouble(), o.value("alpha").toDouble()};
}

size_t qHash(const RGBAColor& c, size_t seed)
{
    return qHashMulti(seed, c.red, c.green, c.blue, c.alpha);
}
