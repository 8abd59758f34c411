#include "Editor/EditorToolbarLayout.h"

#include "Editor/EditorViewModel.h"

#include <algorithm>

ToolbarFocus ToolbarFocus::of(const EditorViewModel& vm)
{
    ToolbarFocus f;
    f.tool = vm.state().selectedTool;
    f.kind = EditorToolbarLayout::activeStyleKind(vm);
    f.cropDrafted = vm.cropDraft().has_value();
    f.cursorHighlightEnabled = vm.state().cursorHighlightEnabled;
    return f;
}

namespace EditorToolbarLayout {

namespace {

// Width of the option groups of one kind: compact, full.
std::pair<double, double> kindWidth(const ToolbarFocus& f)
{
    if (!f.kind)
        return {0, 0};
    switch (*f.kind) {
    case AnnotationKind::arrow:
    case AnnotationKind::line: return {40, 126};
    case AnnotationKind::rectangle: return {40 + 64 + 58, 126 + 132 + 146};
    case AnnotationKind::ellipse: return {40 + 64, 126 + 132};
    case AnnotationKind::freehand:
    case AnnotationKind::image: return {0, 0};
    case AnnotationKind::text: return {108, 108};
    case AnnotationKind::blur: return {140, 288};
    case AnnotationKind::badge: return {214, 214};
    case AnnotationKind::speechBubble: return {108 + 150, 108 + 290};
    case AnnotationKind::magnifier: return {66, 184};
    case AnnotationKind::cursor:
        return f.cursorHighlightEnabled ? std::pair<double, double>{150 + 150, 300 + 260}
                                        : std::pair<double, double>{150, 300};
    }
    return {0, 0};
}

// The first row's widest layout at each level, before the second row is asked.
constexpr double rowThreshold[] = {886, 792, 720, 626};
// Space for the export row and the toolbar's padding.
constexpr double exportRow = 250;
constexpr double spacer = 8;
constexpr double padding = 28 + 8 + 80;

} // namespace

std::optional<AnnotationKind> activeStyleKind(const EditorViewModel& vm)
{
    if (const std::optional<QUuid> id = vm.selectedAnnotationID()) {
        const auto& annotations = vm.state().annotations;
        const auto it = std::find_if(annotations.begin(), annotations.end(),
                                     [&](const AnnotationObject& a) { return a.id == *id; });
        if (it != annotations.end())
            return it->kind;
    }
    return annotationKind(vm.state().selectedTool);
}

double row2LeadingEstWidth(bool compact, const ToolbarFocus& f)
{
    const double base = compact ? 66 : 290;
    double crop = 0;
    if (f.tool == EditorTool::crop)
        crop = f.cropDrafted ? 260 : 110;
    const auto [narrow, wide] = kindWidth(f);
    return base + crop + (compact ? narrow : wide) + 48;
}

int collapseLevel(double available, const ToolbarFocus& f)
{
    for (int level = 0; level < mostCompactLevel; ++level) {
        const double e = row2LeadingEstWidth(level >= 1, f);
        const double need = std::max(e + exportRow + spacer, rowThreshold[level]) + padding;
        if (need <= available)
            return level;
    }
    return mostCompactLevel;
}

ToolbarShape shape(int level)
{
    ToolbarShape s;
    s.toolsFolded = level >= 4;
    s.inlineColors = level <= 1 ? 8 : level == 2 ? 4 : 0;
    s.strokeChip = level >= 1;
    s.compactOptions = level >= 1;
    return s;
}

} // namespace EditorToolbarLayout
