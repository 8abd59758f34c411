#include "Models/EditorState.h"

#include "Models/JsonDecoder.h"

#include <QJsonArray>
#include <algorithm>

EditorState EditorState::opening(double w, const QList<AnnotationObject>& annotations)
{
    EditorState s;
    s.cursorSize = std::min(std::max(0.05 * w, 24.0), 90.0);
    s.cursorHighlightSize = 1.4 * s.cursorSize;
    s.annotations = annotations;
    return s;
}

QJsonObject EditorState::toJson() const
{
    QJsonObject o;
    QJsonArray list;
    for (const AnnotationObject& a : annotations)
        list.append(a.toJson());
    o.insert(QStringLiteral("annotations"), list);
    o.insert(QStringLiteral("selectedTool"), rawValue(selectedTool));
    o.insert(QStringLiteral("selectedColor"), selectedColor.toJson());
    o.insert(QStringLiteral("lineWidth"), lineWidth);
    o.insert(QStringLiteral("fontSize"), fontSize);
    if (selectedFontName)
        o.insert(QStringLiteral("selectedFontName"), *selectedFontName);
    o.insert(QStringLiteral("selectedBlurStyle"), rawValue(selectedBlurStyle));
    o.insert(QStringLiteral("blurAmount"), blurAmount);
    o.insert(QStringLiteral("cornerRadius"), cornerRadius);
    o.insert(QStringLiteral("dashed"), dashed);
    o.insert(QStringLiteral("fillEnabled"), fillEnabled);
    o.insert(QStringLiteral("fillColor"), fillColor.toJson());
    o.insert(QStringLiteral("badgeColor"), badgeColor.toJson());
    o.insert(QStringLiteral("badgeTextColor"), badgeTextColor.toJson());
    o.insert(QStringLiteral("badgeSize"), badgeSize);
    o.insert(QStringLiteral("badgeFontSize"), badgeFontSize);
    o.insert(QStringLiteral("magnifierZoom"), magnifierZoom);
    o.insert(QStringLiteral("cursorStyle"), cursorStyle);
    o.insert(QStringLiteral("cursorSize"), cursorSize);
    o.insert(QStringLiteral("cursorHighlightEnabled"), cursorHighlightEnabled);
    o.insert(QStringLiteral("cursorHighlightColor"), cursorHighlightColor.toJson());
    o.insert(QStringLiteral("cursorHighlightSize"), cursorHighlightSize);
    o.insert(QStringLiteral("cursorHighlightOpacity"), cursorHighlightOpacity);
    o.insert(QStringLiteral("bubbleStyle"), rawValue(bubbleStyle));
    o.insert(QStringLiteral("cropAspect"), rawValue(cropAspect));
    return o;
}

std::optional<EditorState> EditorState::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    const QJsonObject o = value.toObject();
    bool ok = true;
    const auto color = [&](const char* key) {
        const auto c = RGBAColor::fromJson(o.value(QLatin1String(key)));
        if (!c)
            ok = false;
        return c.value_or(RGBAColor{});
    };
    EditorState s;
    for (const QJsonValue& v : d.array("annotations")) {
        const auto a = AnnotationObject::fromJson(v);
        if (!a)
            return std::nullopt;
        s.annotations.append(*a);
    }
    s.selectedTool = d.enumeration<EditorTool>("selectedTool");
    s.selectedColor = color("selectedColor");
    s.lineWidth = d.number("lineWidth");
    s.fontSize = d.number("fontSize");
    s.selectedFontName = d.optionalString("selectedFontName");
    s.selectedBlurStyle = d.enumeration<BlurStyle>("selectedBlurStyle");
    s.blurAmount = d.number("blurAmount");
    s.cornerRadius = d.number("cornerRadius");
    s.dashed = d.boolean("dashed");
    s.fillEnabled = d.boolean("fillEnabled");
    s.fillColor = color("fillColor");
    s.badgeColor = color("badgeColor");
    s.badgeTextColor = color("badgeTextColor");
    s.badgeSize = d.number("badgeSize");
    s.badgeFontSize = d.number("badgeFontSize");
    s.magnifierZoom = d.number("magnifierZoom");
    s.cursorStyle = d.string("cursorStyle");
    s.cursorSize = d.number("cursorSize");
    s.cursorHighlightEnabled = d.boolean("cursorHighlightEnabled");
    s.cursorHighlightColor = color("cursorHighlightColor");
    s.cursorHighlightSize = d.number("cursorHighlightSize");
    s.cursorHighlightOpacity = d.number("cursorHighlightOpacity");
    s.bubbleStyle = d.enumeration<SpeechBubbleStyle>("bubbleStyle");
    s.cropAspect = d.enumeration<CropAspect>("cropAspect");
    if (!ok || !d.ok())
        return std::nullopt;
    return s;
}
