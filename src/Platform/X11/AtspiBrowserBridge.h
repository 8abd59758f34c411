#pragma once
// Reads which page each window of a Chromium-family browser shows through the
// accessibility bus (AT-SPI2): the frame's screen extents and the URL of the
// showing web document inside it. Chromium exposes its documents there only
// while accessibility is on (a screen reader running, ACCESSIBILITY_ENABLED=1
// or --force-renderer-accessibility); otherwise no window is listed.
#include "Platform/BrowserBridge.h"

class AtspiBrowserBridge final : public BrowserBridge {
public:
    QString windowList(const Browser& browser, qint64 pid) override;
};
