#include "Editor/EditorToolbarLayout.h"

#include "Editor/CropTool.h"
#include "Editor/EditorViewModel.h"
#include "Editor/Kinds/AnnotationKinds.h"

#include <algorithm>

ToolbarFocus ToolbarFocus::of(const EditorViewModel& vm, const CropTool& crop)
{
    ToolbarFocus f;
    f.tool = vm.state().selectedTool;
    f.kind = EditorToolbarLayout::activeStyleKind(vm);
    f.cropDrafted = crop.cropDraft().has_value();
    f.cursorHighlightEnabled = vm.state().cursorHighlightEnabled;
    return f;
}

namespace EditorToolbarLayout {

namespace {

using Option = AnnotationKindBehaviour::Option;

// Width of each option group: compact, full.
struct GroupWidth {
    Option option;
    double compact;
    double full;
};
constexpr GroupWidth groupWidths[] = {
    {Option::font, 108, 108},   {Option::bubble, 150, 290}, {Option::magnifier, 66, 184},
    {Option::cursor, 150, 300}, {Option::blur, 140, 288},   {Option::dashed, 40, 126},
    {Option::fill, 64, 132},    {Option::corner, 58, 146},  {Option::badge, 214, 214},
};
// The cursor's highlight controls, while the highlight is on: compact, full.
constexpr std::pair<double, double> cursorHighlight{150, 260};

// Width of the option groups the kind in focus offers: compact, full.
std::pair<double, double> kindWidth(const ToolbarFocus& f)
{
    if (!f.kind)
        return {0, 0};
    const AnnotationKindBehaviour::Options offered = AnnotationKinds::of(*f.kind).options();
    double compact = 0, full = 0;
    for (const GroupWidth& g : groupWidths)
        if (offered.testFlag(g.option)) {
            compact += g.compact;
            full += g.full;
        }
    if (offered.testFlag(Option::cursor) && f.cursorHighlightEnabled) {
        compact += cursorHighlight.first;
        full += cursorHighlight.second;
    }
    return {compact, full};
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
