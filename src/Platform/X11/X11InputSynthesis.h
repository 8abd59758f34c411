#pragma once
// Synthetic input on X11 through XTEST: keys by their keysym's keycode, the
// wheel as clicks of buttons 4 (up) and 5 (down), the pointer moved as a real
// motion; hidden with XFixes, which holds only while this connection lives, so
// the backend keeps its own. Places are turned into the server's device pixels
// through the screen layout (without one it follows the application's screens).
#include "Platform/InputSynthesis.h"
#include "Platform/X11/XcbConnection.h"

#include <memory>

class X11ScreenLayout;

class X11InputSynthesis final : public InputSynthesis {
public:
    // x: the connection of the main thread's backends; none opens its own.
    explicit X11InputSynthesis(std::shared_ptr<const X11ScreenLayout> layout = nullptr,
                               std::shared_ptr<XcbConnection> x = nullptr);
    ~X11InputSynthesis() override;

    bool isAvailable() override;
    void pressKey(Key key, bool control) override;
    void scrollWheel(int clicks) override;
    void warpPointer(const QPointF& point) override;
    std::optional<QPointF> pointerPosition() override;
    void hidePointer() override;
    void showPointer() override;

    // The keycode that produces keysym without modifiers; 0 when none.
    xcb_keycode_t keycodeFor(quint32 keysym);

private:
    std::shared_ptr<const X11ScreenLayout> m_layout;
    std::shared_ptr<XcbConnection> m_connection;
    XcbConnection& m_x = *m_connection;
    bool m_hidden = false;
};
