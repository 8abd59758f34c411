#pragma once
// How far the editor toolbar folds up for the width it has. Level 0 is the
// full toolbar, 4 the most compact. The decision uses fixed width estimates
// of the second row's option groups for the annotation kind in focus (the
// groups its kind offers, AnnotationKinds), never the measured widgets, so it
// is the same on every layout pass.
#include "Models/CoreTypes.h"

#include <optional>

class CropTool;
class EditorViewModel;

// What the second row shows, which decides its estimated width.
struct ToolbarFocus {
    EditorTool tool = EditorTool::arrow;
    // The kind whose options the second row shows (activeStyleKind).
    std::optional<AnnotationKind> kind;
    // A crop rectangle is drawn (the crop tool then also shows its confirm pair).
    bool cropDrafted = false;
    bool cursorHighlightEnabled = false;

    static ToolbarFocus of(const EditorViewModel& vm, const CropTool& crop);
};

// How the rows look at one level.
struct ToolbarShape {
    bool toolsFolded = false; // the tools fold into one chip
    int inlineColors = 8;     // palette colours standing in the row itself
    bool strokeChip = false;  // the line width is a chip instead of an inline slider
    bool compactOptions = false; // the second row's groups are compact (icons only)
};

namespace EditorToolbarLayout {

// The single selected annotation's kind, else the current tool's (none for
// the select and crop tools).
std::optional<AnnotationKind> activeStyleKind(const EditorViewModel& vm);

// Estimated width of the second row's leading part (options and delete/reset).
double row2LeadingEstWidth(bool compact, const ToolbarFocus& focus);

// The first level whose need fits the available width; 4 when none does.
int collapseLevel(double available, const ToolbarFocus& focus);

ToolbarShape shape(int level);

constexpr int mostCompactLevel = 4;

} // namespace EditorToolbarLayout
