#pragma once
// Finds what lies under the pointer for the scrolling capture's window picker:
// the front-most ordinary window of another process at a point, the scrollable
// area of that process under a point (from its accessibility tree), the
// pointer position, and a diagnostic log line of the accessibility chain.
#include "Screenshot/PickedWindow.h"

#include <QPointF>
#include <optional>

class AccessibilityTree;
class ScreenSource;
class WindowServer;

class PickedWindowLookup {
public:
    // ownPID: this process (whose windows are never picked); -1 = ours.
    PickedWindowLookup(WindowServer& windows, AccessibilityTree& accessibility, ScreenSource& screens,
                       qint32 ownPID = -1);

    std::optional<PickedWindow> windowUnderCursor(const QPointF& point) const;
    // windowArea: the picked window's width times height.
    std::optional<QRectF> scrollAreaUnder(const QPointF& point, qreal windowArea, qint32 pid) const;
    // Keys sent to process pid would move a selection or a caret at point: a
    // list, a table, a tree or an editable text lies there, outside any web
    // page. False when the accessibility tree cannot be read.
    bool keysMoveSelection(const QPointF& point, qint32 pid) const;
    // The view of process pid under point inside window that scrolls its
    // content, when the accessibility tree tells it (ScrolledView).
    std::optional<QRectF> scrolledView(const QPointF& point, const QRectF& window, qint32 pid) const;
    QPointF cursorTopLeft() const;
    void logAXChain(const QPointF& point, qint32 pid) const;

    // Roles that make an element scrollable by themselves.
    static bool isScrollableRole(const QString& role);

private:
    WindowServer& m_windows;
    AccessibilityTree& m_accessibility;
    ScreenSource& m_screens;
    qint32 m_ownPID;
};
