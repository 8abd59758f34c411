#pragma once
#include "Platform/TrayAvailability.h"

// A tray host the test switches on and off.
class FakeTrayAvailability final : public TrayAvailability {
public:
    bool hasXEmbedTray() const override { return xembed; }
    bool hasStatusNotifierHost() const override { return statusNotifier; }
    void set(bool xembedTray, bool statusNotifierHost)
    {
        xembed = xembedTray;
        statusNotifier = statusNotifierHost;
        Q_EMIT changed();
    }

    bool xembed = false;
    bool statusNotifier = false;
};
