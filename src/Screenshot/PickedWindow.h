#pragma once
// The window, or the section of a window, chosen for a scrolling capture. All
// rectangles in global points, top-left origin.
#include <QRectF>
#include <optional>

struct PickedWindow {
    qint32 pid = 0;        // the window's owner process
    QRectF bounds;         // as the window server reports it
    quint32 number = 0;    // the window server's window number
    // The part to scroll and capture; none means the whole window. Either a
    // scrollable element under the click or a dragged section; not clipped to
    // bounds.
    std::optional<QRectF> scrollRegion;

    bool operator==(const PickedWindow&) const = default;
};
