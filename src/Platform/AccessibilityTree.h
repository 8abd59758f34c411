#pragma once
// The accessibility tree of other applications: the element under a point and
// its ancestors, with role, frame and scroll bars. Coordinates are global
// points, top-left origin, y down.
//
// Roles are given with the names the scrolling capture reasons with:
// "AXScrollArea", "AXWebArea", "AXTextArea", "AXList", "AXTable", "AXOutline",
// "AXGrid" where the toolkit's role means that; every other role keeps the
// toolkit's own name (e.g. "filler", "frame").
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <optional>

class AccessibleElement {
public:
    virtual ~AccessibleElement() = default;
    // Empty when it cannot be read.
    virtual QString role() const = 0;
    virtual QString subrole() const = 0;
    virtual std::optional<QPointF> position() const = 0;
    virtual std::optional<QSizeF> size() const = 0;
    virtual bool hasVerticalScrollBar() const = 0;
    virtual bool hasHorizontalScrollBar() const = 0;
    // None at the top of the tree or when the parent cannot be read.
    virtual std::shared_ptr<AccessibleElement> parent() const = 0;
};

class AccessibilityTree {
public:
    virtual ~AccessibilityTree() = default;
    // Whether other applications' trees can be read at all.
    virtual bool isAvailable() = 0;
    // The deepest element of process pid at point; none when it has none there
    // or does not expose its tree.
    virtual std::shared_ptr<AccessibleElement> elementAt(qint32 pid, const QPointF& point) = 0;
};
