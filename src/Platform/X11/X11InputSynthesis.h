#pragma once
// Synthetic input on X11 through XTEST: keys by their keysym's keycode, the
// wheel as clicks of buttons 4 (up) and 5 (down), the pointer moved as a real
// motion; hidden with XFixes, which holds only while this connection lives, so
// the backend keeps its own.
#include "Platform/InputSynthesis.h"
#include "Platform/X11/XcbConnection.h"

class X11InputSynthesis final : public InputSynthesis {
public:
    X11InputSynthesis();
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
    XcbConnection m_x;
    bool m_hidden = false;
};
