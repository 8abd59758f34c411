#pragma once
#include "Platform/CompositingInfo.h"

#include <atomic>
#include <cstdint>
#include <memory>

class QSocketNotifier;
class XcbConnection;

// A compositing manager runs while some client owns the selection
// _NET_WM_CM_S<screen> of the default screen. One connection of our own
// watches that owner through XFixes, so asking costs no round trip and a
// compositor that starts or stops is reported at once. Without XFixes the
// owner is asked on every call (still on the one connection). The other X11
// services that care whether a compositor runs are handed this one instance.
class X11CompositingInfo final : public CompositingInfo {
    Q_OBJECT
public:
    // `display` as in DISPLAY; empty for the default one.
    explicit X11CompositingInfo(const QByteArray& display = {}, QObject* parent = nullptr);
    ~X11CompositingInfo() override;

    bool isCompositing() const override;
    // Whether changes are reported (XFixes present and the display reachable).
    bool watches() const { return m_notifier != nullptr; }

private:
    void readEvents();
    // One round trip: whether the selection has an owner now.
    bool askOwner() const;
    void update(bool compositing);

    std::unique_ptr<XcbConnection> m_x;
    uint32_t m_selection = 0;
    uint8_t m_xfixesEvent = 0;
    QSocketNotifier* m_notifier = nullptr;
    std::atomic<bool> m_compositing = false;
};
