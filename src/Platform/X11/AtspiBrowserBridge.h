#pragma once
// Reads which page each window of a browser (the Chromium family, Firefox)
// shows through the accessibility bus (AT-SPI2): the frame's screen extents
// and the URL of the showing web document inside it. Chromium exposes its
// documents there only while accessibility is on (a screen reader running, or
// ACCESSIBILITY_ENABLED=1 with --force-renderer-accessibility); otherwise no
// window is listed.
// Frames are turned from the toolkit's device pixels into points through the
// screen layout (without one the bridge follows the application's screens).
#include "Platform/BrowserBridge.h"

#include <memory>

class X11ScreenLayout;

class AtspiBrowserBridge final : public BrowserBridge {
public:
    explicit AtspiBrowserBridge(std::shared_ptr<const X11ScreenLayout> layout = nullptr);
    ~AtspiBrowserBridge() override;
    QList<DocumentWindow> windowList(const QString& browserID, qint64 pid) override;

private:
    std::shared_ptr<const X11ScreenLayout> m_layout;
};
