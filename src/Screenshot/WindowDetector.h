#pragma once
// Lists the windows visible at the moment of a freeze, front to back, so the
// selection overlay can highlight and pick them; converts window-server
// rectangles (top-left origin) into bottom-left coordinates.
#include "Platform/ScreenSource.h"
#include "Platform/WindowServer.h"
#include "Screenshot/DetectedWindow.h"

#include <QList>

class WindowDetector {
public:
    WindowDetector(WindowServer& windowServer, const ScreenSource& screens);

    // On-screen ordinary windows of at least 40 x 40 points that are not
    // (nearly) transparent, front to back. Our own windows count too.
    QList<DetectedWindow> captureWindows() const;

    // y' = H - y - height, H being the primary (first) screen's height, or 0.
    QRectF cgRectToNSRect(const QRectF& rect) const;
    static QRectF cgRectToNSRect(const QRectF& rect, const QList<ScreenInfo>& screens);

    // The filter applied to every window-server entry; absent = skipped.
    static std::optional<DetectedWindow> detectedWindow(const WindowInfo& info, const QList<ScreenInfo>& screens);

private:
    WindowServer& m_windowServer;
    const ScreenSource& m_screens;
};
