#pragma once
// What one editor window works on: the annotations and the current tool with
// every style setting of the toolbar. Lives in memory only.
#include "Models/AnnotationObject.h"
#include "Models/CoreTypes.h"

#include <QJsonObject>
#include <QList>
#include <optional>

struct EditorState {
    QList<AnnotationObject> annotations;
    EditorTool selectedTool = EditorTool::arrow;
    RGBAColor selectedColor{0.9, 0.2, 0.2, 1.0};
    double lineWidth = 4;
    double fontSize = 28;
    std::optional<QString> selectedFontName;
    BlurStyle selectedBlurStyle = BlurStyle::pixelated;
    double blurAmount = 30;
    double cornerRadius = 0;
    bool dashed = false;
    bool fillEnabled = false;
    RGBAColor fillColor{0.9, 0.2, 0.2, 0.25};
    RGBAColor badgeColor{0.9, 0.2, 0.2, 1.0};
    RGBAColor badgeTextColor{1.0, 1.0, 1.0, 1.0};
    double badgeSize = 44;
    double badgeFontSize = 22;
    double magnifierZoom = 2.2;
    QString cursorStyle = QStringLiteral("solid_arrow");
    double cursorSize = 120;
    bool cursorHighlightEnabled = false;
    RGBAColor cursorHighlightColor{1.0, 0.81, 0.2, 1.0};
    double cursorHighlightSize = 70;
    double cursorHighlightOpacity = 0.5;
    SpeechBubbleStyle bubbleStyle = SpeechBubbleStyle::rounded;
    CropAspect cropAspect = CropAspect::free;

    bool operator==(const EditorState&) const = default;

    // The state an editor window starts with on an image of the given pixel
    // width: cursor size follows the width, annotations come from the record.
    static EditorState opening(double imagePixelWidth, const QList<AnnotationObject>& annotations = {});

    // One key per field, named as the field; the font name only when set.
    QJsonObject toJson() const;
    // All or nothing: every key but "selectedFontName" is required, enumerations
    // must be known raw values and every annotation must decode. Unknown keys
    // are ignored; numbers are held to the ranges of their toolbar controls.
    static std::optional<EditorState> fromJson(const QJsonValue& value);
};
