#include "Screenshot/WindowDetector.h"

WindowDetector::WindowDetector(WindowServer& windowServer, const ScreenSource& screens)
    : m_windowServer(windowServer), m_screens(screens)
{
}

QRectF WindowDetector::cgRectToNSRect(const QRectF& rect, const QList<ScreenInfo>& screens)
{
    const qreal primaryHeight = screens.isEmpty() ? 0.0 : screens.first().frame.height();
    return QRectF(rect.x(), primaryHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

QRectF WindowDetector::cgRectToNSRect(const QRectF& rect) const { return cgRectToNSRect(rect, m_screens.screens()); }

std::optional<DetectedWindow> WindowDetector::detectedWindow(const WindowInfo& info, const QList<ScreenInfo>& screens)
{
    if (!info.ownerPID)
        return std::nullopt;
    if (info.layer && *info.layer != 0)
        return std::nullopt;
    if (!(info.bounds.width() >= 40 && info.bounds.height() >= 40))
        return std::nullopt;
    if (info.alpha && !(*info.alpha >= 0.05))
        return std::nullopt;
    return DetectedWindow{info.number, *info.ownerPID, info.bounds, cgRectToNSRect(info.bounds, screens)};
}

QList<DetectedWindow> WindowDetector::captureWindows() const
{
    const std::optional<QList<WindowInfo>> list = m_windowServer.windowList();
    if (!list)
        return {};
    const QList<ScreenInfo> screens = m_screens.screens();
    QList<DetectedWindow> windows;
    for (const WindowInfo& info : *list)
        if (const std::optional<DetectedWindow> window = detectedWindow(info, screens))
            windows.append(*window);
    return windows;
}
