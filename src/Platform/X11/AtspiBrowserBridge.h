#pragma once
// Reads which page each window of a browser (the Chromium family, Firefox)
// shows through the accessibility bus (AT-SPI2): the frame's screen extents
// and the URL of the showing web document inside it. Chromium exposes its
// documents there only while accessibility is on (a screen reader running, or
// ACCESSIBILITY_ENABLED=1 with --force-renderer-accessibility); otherwise no
// window is listed.
#include "Platform/BrowserBridge.h"

class AtspiBrowserBridge final : public BrowserBridge {
public:
    QList<DocumentWindow> windowList(const QString& browserID, qint64 pid) override;
};
