#pragma once
// Finds what lies under the pointer for the scrolling capture's window picker:
// the front-most ordinary window of another process at a point, the scrollable
// area of that process under a point (from its accessibility tree), the
// pointer position, and a diagnostic log line of the accessibility chain.
#include "Screenshot/PickedWindow.h"

#include <QList>
#include <QPointF>
#include <functional>
#include <optional>

class AccessibilityTree;

class PickedWindowLookup {
public:
    // One on-screen window as the window server lists it; unknown values absent.
    struct WindowEntry {
        quint32 number = 0;
        std::optional<qint32> ownerPID;
        QRectF bounds;
        std::optional<int> layer; // 0 = ordinary application window
    };
    // On-screen windows without desktop elements, front to back; none when the
    // window server cannot be asked.
    using WindowList = std::function<std::optional<QList<WindowEntry>>()>;
    using Pointer = std::function<QPointF()>;

    PickedWindowLookup(WindowList windows, AccessibilityTree& accessibility, Pointer pointer,
                       qint32 ownPID = -1);

    std::optional<PickedWindow> windowUnderCursor(const QPointF& point) const;
    // windowArea: the picked window's width times height.
    std::optional<QRectF> scrollAreaUnder(const QPointF& point, qreal windowArea, qint32 pid) const;
    QPointF cursorTopLeft() const;
    void logAXChain(const QPointF& point, qint32 pid) const;

    // Roles that make an element scrollable by themselves.
    static bool isScrollableRole(const QString& role);

private:
    WindowList m_windows;
    AccessibilityTree& m_accessibility;
    Pointer m_pointer;
    qint32 m_ownPID;
};
