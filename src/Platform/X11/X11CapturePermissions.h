#pragma once
// X11 has no capture permissions: any client of the session may read the
// screen and synthesise input. Screen capture counts as allowed when this is
// an X11 session (not a Wayland one) whose root window can be read; "accessibility" when the
// server offers XTEST. There is no prompt and no settings page to open.
#include "Platform/CapturePermissions.h"

#include <memory>
#include <optional>

class X11ScreenSource;
class XcbConnection;

class X11CapturePermissions final : public CapturePermissions {
public:
    // x: the connection of the main thread's backends; none opens one for
    // the question.
    explicit X11CapturePermissions(X11ScreenSource& screens, std::shared_ptr<XcbConnection> x = nullptr);
    bool preflightScreenCapture() override;
    bool requestScreenCapture() override;
    bool isAccessibilityTrusted() override;
    void promptAccessibility() override;

private:
    X11ScreenSource& m_screens;
    std::optional<bool> m_xtest;
    std::shared_ptr<XcbConnection> m_x;
    bool m_rootReadable = false;
};
