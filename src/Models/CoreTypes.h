#pragma once
// The small value types every part of the app shares. Raw values are written
// into the history files and the settings, letter for letter.
#include "Models/RawEnum.h"

#include <QColor>
#include <QJsonObject>
#include <QString>
#include <optional>

enum class CaptureKind { area, window, fullScreen, scrolling };
template <> struct RawEnumTable<CaptureKind> {
    static constexpr std::array<std::pair<CaptureKind, const char*>, 4> cases{{
        {CaptureKind::area, "area"}, {CaptureKind::window, "window"},
        {CaptureKind::fullScreen, "fullScreen"}, {CaptureKind::scrolling, "scrolling"}}};
};
QString label(CaptureKind kind);

enum class AnnotationKind { arrow, line, rectangle, ellipse, freehand, text, blur, badge, speechBubble, image, magnifier, cursor };
template <> struct RawEnumTable<AnnotationKind> {
    static constexpr std::array<std::pair<AnnotationKind, const char*>, 12> cases{{
        {AnnotationKind::arrow, "arrow"}, {AnnotationKind::line, "line"},
        {AnnotationKind::rectangle, "rectangle"}, {AnnotationKind::ellipse, "ellipse"},
        {AnnotationKind::freehand, "freehand"}, {AnnotationKind::text, "text"},
        {AnnotationKind::blur, "blur"}, {AnnotationKind::badge, "badge"},
        {AnnotationKind::speechBubble, "speechBubble"}, {AnnotationKind::image, "image"},
        {AnnotationKind::magnifier, "magnifier"}, {AnnotationKind::cursor, "cursor"}}};
};

enum class EditorTool { select, crop, arrow, line, rectangle, ellipse, freehand, text, speechBubble, badge, blur, magnifier, cursor };
template <> struct RawEnumTable<EditorTool> {
    static constexpr std::array<std::pair<EditorTool, const char*>, 13> cases{{
        {EditorTool::select, "select"}, {EditorTool::crop, "crop"}, {EditorTool::arrow, "arrow"},
        {EditorTool::line, "line"}, {EditorTool::rectangle, "rectangle"},
        {EditorTool::ellipse, "ellipse"}, {EditorTool::freehand, "freehand"},
        {EditorTool::text, "text"}, {EditorTool::speechBubble, "speechBubble"},
        {EditorTool::badge, "badge"}, {EditorTool::blur, "blur"},
        {EditorTool::magnifier, "magnifier"}, {EditorTool::cursor, "cursor"}}};
};
QString label(EditorTool tool);
QString systemImage(EditorTool tool);
std::optional<AnnotationKind> annotationKind(EditorTool tool);

enum class BlurStyle { pixelated, gaussian };
template <> struct RawEnumTable<BlurStyle> {
    static constexpr std::array<std::pair<BlurStyle, const char*>, 2> cases{{
        {BlurStyle::pixelated, "pixelated"}, {BlurStyle::gaussian, "gaussian"}}};
};

enum class SpeechBubbleStyle { rounded, oval, rectangle, thought };
template <> struct RawEnumTable<SpeechBubbleStyle> {
    static constexpr std::array<std::pair<SpeechBubbleStyle, const char*>, 4> cases{{
        {SpeechBubbleStyle::rounded, "rounded"}, {SpeechBubbleStyle::oval, "oval"},
        {SpeechBubbleStyle::rectangle, "rectangle"}, {SpeechBubbleStyle::thought, "thought"}}};
};
QString label(SpeechBubbleStyle style);

enum class CropAspect { free, r1_1, r4_3, r3_2, r16_9, r3_4, r9_16 };
template <> struct RawEnumTable<CropAspect> {
    static constexpr std::array<std::pair<CropAspect, const char*>, 7> cases{{
        {CropAspect::free, "free"}, {CropAspect::r1_1, "r1_1"}, {CropAspect::r4_3, "r4_3"},
        {CropAspect::r3_2, "r3_2"}, {CropAspect::r16_9, "r16_9"}, {CropAspect::r3_4, "r3_4"},
        {CropAspect::r9_16, "r9_16"}}};
};
std::optional<double> ratio(CropAspect aspect);
QString label(CropAspect aspect);

// A colour as four sRGB components from 0 to 1.
struct RGBAColor {
    double red = 0, green = 0, blue = 0, alpha = 1;

    bool operator==(const RGBAColor&) const = default;

    static const std::array<RGBAColor, 8>& palette();

    QColor toQColor() const;
    static RGBAColor fromQColor(const QColor& color);

    QJsonObject toJson() const;
    // All four keys are required and must be numbers; extra keys are ignored.
    static std::optional<RGBAColor> fromJson(const QJsonValue& value);
};
size_t qHash(const RGBAColor& c, size_t seed = 0);
