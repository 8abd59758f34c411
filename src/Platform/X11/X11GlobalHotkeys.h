#pragma once
// Global hotkeys on X11: a passive key grab on every root window, once for
// each state of NumLock and CapsLock, on a connection of our own whose events
// are read on the main thread. Holding a combination gives one press, not a
// stream of auto-repeated ones.
#include "Platform/GlobalHotkeys.h"

#include <QObject>
#include <QSet>
#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;
class XcbConnection;
class QSocketNotifier;

class X11GlobalHotkeys final : public QObject, public GlobalHotkeys {
    Q_OBJECT
public:
    // Connects to $DISPLAY (or the display given).
    explicit X11GlobalHotkeys(const QByteArray& display = {}, QObject* parent = nullptr);
    ~X11GlobalHotkeys() override;

    bool isConnected() const;

    void installHandler(Handler handler) override;
    int registerHotkey(uint32_t id, uint32_t carbonKeyCode, uint32_t carbonModifiers) override;
    void unregisterHotkey(uint32_t id) override;

    // X modifier mask for Carbon flags: command = Mod4 (Super), shift = Shift,
    // option = Mod1 (Alt), control = Control.
    static uint16_t xModifiers(uint32_t carbonModifiers);

    // Statuses besides the X error codes.
    static constexpr int statusBadValue = 2;          // key code without an X11 key
    static constexpr int statusNoConnection = 17;     // BadImplementation: no X server

private:
    struct Grab {
        uint32_t id;
        uint8_t keycode;
        uint16_t modifiers;
    };
    void readEvents();
    void scheduleRead();
    uint16_t findNumLockMask();
    std::vector<uint16_t> lockVariants() const;
    void ungrab(const Grab& grab);

    std::unique_ptr<XcbConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's, null when not connected
    QSocketNotifier* m_notifier = nullptr;
    std::vector<uint32_t> m_roots;
    uint16_t m_numLockMask = 0;
    Handler m_handler;
    std::vector<Grab> m_grabs;
    QSet<uint8_t> m_keysDown;
};
