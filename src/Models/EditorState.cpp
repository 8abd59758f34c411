#include "Models/EditorState.h"

#include <algorithm>

EditorState EditorState::opening(double w, const QList<AnnotationObject>& annotations)
{
    EditorState s;
    s.cursorSize = std::min(std::max(0.05 * w, 24.0), 90.0);
    s.cursorHighlightSize = 1.4 * s.cursorSize;
    s.annotations = annotations;
    return s;
}
