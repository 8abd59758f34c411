#pragma once
// The one table from an annotation kind to what that kind is. A new kind is
// its own class beside the others and one entry here.
#include "Editor/Kinds/AnnotationKindBehaviour.h"

namespace AnnotationKinds {

const AnnotationKindBehaviour& of(AnnotationKind kind);

} // namespace AnnotationKinds
