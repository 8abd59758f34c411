#pragma once
// The stored hotkeys keep the Carbon virtual key codes (a physical key
// position). On X11 the same physical key has keycode = evdev code + 8.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace CarbonKeyCodes {
std::optional<uint32_t> toX11Keycode(uint32_t carbonKeyCode);
std::optional<uint32_t> fromX11Keycode(uint32_t x11Keycode);
// Every Carbon code the table knows, ascending.
const std::vector<uint32_t>& knownCarbonCodes();
}
