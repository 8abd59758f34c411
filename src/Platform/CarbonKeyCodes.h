#pragma once
// The stored hotkeys keep the Carbon virtual key codes (a physical key
// position) and Carbon modifier flags. On X11 the same physical key has
// keycode = evdev code + 8. Shared by the hotkey model and the X11 backend.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace CarbonKeyCodes {
// Modifier flags; on X11 command = Super, option = Alt.
constexpr uint32_t commandFlag = 0x100;
constexpr uint32_t shiftFlag = 0x200;
constexpr uint32_t optionFlag = 0x800;
constexpr uint32_t controlFlag = 0x1000;

std::optional<uint32_t> toX11Keycode(uint32_t carbonKeyCode);
std::optional<uint32_t> fromX11Keycode(uint32_t x11Keycode);
// Every Carbon code the table knows, ascending.
const std::vector<uint32_t>& knownCarbonCodes();
}
