#pragma once
// Screens and screen pictures on X11: one display per RandR monitor (the whole
// root window when RandR lists none), grabbed through MIT-SHM with a plain
// GetImage as fallback; the pointer from XFixes.
#include "Platform/ScreenSource.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"

class X11ScreenSource final : public ScreenSource {
public:
    enum class GrabMethod { automatic, plainGetImage };
    // x: the connection of the main thread's backends; none opens its own.
    explicit X11ScreenSource(GrabMethod method = GrabMethod::automatic, std::shared_ptr<XcbConnection> x = nullptr);

    QList<ScreenInfo> screens() const override;
    ShareableDisplays shareableDisplays() override;
    QImage captureDisplay(const DisplayInfo& display, QSize pixelSize, bool showsCursor, QString* error = nullptr) override;
    QPointF pointerPosition() const override;

    // For the permission check: whether this is an X11 session (not the X
    // server of a Wayland session) whose root answers a 1 x 1 grab.
    bool canGrabRoot();
    static bool isWaylandSession();

private:
    QList<DisplayInfo> displaysLocked() const;
    std::shared_ptr<XcbConnection> m_connection;
    XcbConnection& m_x = *m_connection;
    XcbImageTransfer m_images{m_x};
    GrabMethod m_method;
};
