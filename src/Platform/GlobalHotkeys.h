#pragma once
// System-wide key combinations that reach the app while another application
// has the focus. Key codes and modifiers are the stored Carbon values of
// HotkeyCombo; the backend maps them to its own keys.
#include <QString>
#include <cstdint>
#include <functional>

class GlobalHotkeys {
public:
    // Called on the main thread with the identifier of the pressed combination.
    using Handler = std::function<void(uint32_t id)>;

    virtual ~GlobalHotkeys() = default;

    // Installs the one receiver of presses; a later call replaces it.
    virtual void installHandler(Handler handler) = 0;
    // Registers the combination under id. Returns 0 on success, else the
    // system's error status (on X11 the X error code: 10 = BadAccess when
    // another client holds the combination). Nothing stays registered on failure.
    virtual int registerHotkey(uint32_t id, uint32_t carbonKeyCode, uint32_t carbonModifiers) = 0;
    // Releases the combination registered under id; unknown ids are ignored.
    virtual void unregisterHotkey(uint32_t id) = 0;
};
