#include "Editor/Kinds/AnnotationKindBehaviour.h"

QList<CanvasGrips::Grip> AnnotationKindBehaviour::grips(const AnnotationObject&, QSizeF, QSizeF) const
{
    return {};
}
