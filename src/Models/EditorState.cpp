#include "Models/EditorState.h"

#include "Models/AnnotationLimits.h"
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
    QJsonArray list;
    for (const AnnotationObject& a : annotations)
        list.append(a.toJson());
    QJsonObject o{
        {"annotations", list},
        {"selectedTool", rawValue(selectedTool)},
        {"selectedColor", selectedColor.toJson()},
        {"lineWidth", lineWidth},
        {"fontSize", fontSize},
        {"selectedBlurStyle", rawValue(selectedBlurStyle)},
        {"blurAmount", blurAmount},
        {"cornerRadius", cornerRadius},
        {"dashed", dashed},
        {"fillEnabled", fillEnabled},
        {"fillColor", fillColor.toJson()},
        {"badgeColor", badgeColor.toJson()},
        {"badgeTextColor", badgeTextColor.toJson()},
        {"badgeSize", badgeSize},
        {"badgeFontSize", badgeFontSize},
        {"magnifierZoom", magnifierZoom},
        {"cursorStyle", cursorStyle},
        {"cursorSize", cursorSize},
        {"cursorHighlightEnabled", cursorHighlightEnabled},
        {"cursorHighlightColor", cursorHighlightColor.toJson()},
        {"cursorHighlightSize", cursorHighlightSize},
        {"cursorHighlightOpacity", cursorHighlightOpacity},
        {"bubbleStyle", rawValue(bubbleStyle)},
        {"cropAspect", rawValue(cropAspect)},
    };
    if (selectedFontName)
        o.insert(QStringLiteral("selectedFontName"), *selectedFontName);
    return o;
}

std::optional<EditorState> EditorState::fromJson(const QJsonValue& value)
{
    JsonDecoder d(value);
    bool ok = true;
    const auto color = [&](const char* key) {
        const auto c = RGBAColor::fromJson(d.object(key));
        ok = ok && c.has_value();
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

    // New annotations take these values: the same ranges as stored annotations.
    namespace L = AnnotationLimits;
    const EditorState declared;
    s.lineWidth = L::lineWidth.bound(s.lineWidth, declared.lineWidth);
    s.fontSize = L::fontSize.bound(s.fontSize, declared.fontSize);
    s.blurAmount = L::blurAmount.bound(s.blurAmount, declared.blurAmount);
    s.cornerRadius = L::cornerRadius.bound(s.cornerRadius, declared.cornerRadius);
    s.badgeSize = L::badgeSize.bound(s.badgeSize, declared.badgeSize);
    s.badgeFontSize = L::fontSize.bound(s.badgeFontSize, declared.badgeFontSize);
    s.magnifierZoom = L::magnification.bound(s.magnifierZoom, declared.magnifierZoom);
    s.cursorSize = L::cursorSize.bound(s.cursorSize, declared.cursorSize);
    s.cursorHighlightSize = L::highlightSize.bound(s.cursorHighlightSize, declared.cursorHighlightSize);
    s.cursorHighlightOpacity = L::highlightOpacity.bound(s.cursorHighlightOpacity, declared.cursorHighlightOpacity);
    return s;
}
