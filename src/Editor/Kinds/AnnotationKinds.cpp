#include "Editor/Kinds/AnnotationKinds.h"

#include "Editor/Kinds/ArrowKind.h"
#include "Editor/Kinds/BadgeKind.h"
#include "Editor/Kinds/BlurKind.h"
#include "Editor/Kinds/CursorKind.h"
#include "Editor/Kinds/EllipseKind.h"
#include "Editor/Kinds/FreehandKind.h"
#include "Editor/Kinds/ImageKind.h"
#include "Editor/Kinds/LineKind.h"
#include "Editor/Kinds/MagnifierKind.h"
#include "Editor/Kinds/RectangleKind.h"
#include "Editor/Kinds/SpeechBubbleKind.h"
#include "Editor/Kinds/TextKind.h"

#include <array>

namespace AnnotationKinds {

namespace {

constexpr ArrowKind arrow;
constexpr LineKind line;
constexpr RectangleKind rectangle;
constexpr EllipseKind ellipse;
constexpr FreehandKind freehand;
constexpr TextKind text;
constexpr BlurKind blur;
constexpr BadgeKind badge;
constexpr SpeechBubbleKind speechBubble;
constexpr ImageKind image;
constexpr MagnifierKind magnifier;
constexpr CursorKind cursor;

// In the order of the kinds.
constexpr std::array<const AnnotationKindBehaviour*, 12> table{
    &arrow, &line, &rectangle, &ellipse, &freehand, &text, &blur, &badge, &speechBubble, &image, &magnifier, &cursor};

constexpr bool everyKindInItsPlace()
{
    constexpr auto kinds = allCases<AnnotationKind>();
    if (kinds.size() != table.size())
        return false;
    for (AnnotationKind k : kinds)
        if (size_t(k) >= table.size() || table[size_t(k)]->kind() != k)
            return false;
    return true;
}
static_assert(everyKindInItsPlace(), "every annotation kind needs its entry, at its own place");

} // namespace

const AnnotationKindBehaviour& of(AnnotationKind kind)
{
    // Kinds come from decoded records and the tool table: always one of the enumeration's.
    return *table[size_t(kind)];
}

} // namespace AnnotationKinds
