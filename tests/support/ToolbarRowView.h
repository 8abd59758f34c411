#pragma once
// Whether a control of one of the editor toolbar's sliding rows is wholly in
// view: inside the row and clear of the edges that show more lies beyond.
#include "Editor/ToolbarScrollEdge.h"
#include "Editor/ToolbarScroller.h"
#include "support/ChildNamed.h"

inline bool inViewOf(const ToolbarScroller& run, const QWidget* widget)
{
    QRect view(run.mapToGlobal(QPoint(0, 0)), run.size());
    if (childNamed<ToolbarScrollEdge>(run, "leadingEdge")->isVisible())
        view.setLeft(view.left() + ToolbarScrollEdge::width);
    if (childNamed<ToolbarScrollEdge>(run, "trailingEdge")->isVisible())
        view.setRight(view.right() - ToolbarScrollEdge::width);
    return view.contains(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
}
