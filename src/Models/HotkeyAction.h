#pragma once
#include "Models/RawEnum.h"

#include <QString>

// The four global hotkey actions; captureWindow starts the scrolling capture.
enum class HotkeyAction { captureArea, captureFullScreen, captureWindow, openClipboard };
template <> struct RawEnumTable<HotkeyAction> {
    static constexpr std::array<std::pair<HotkeyAction, const char*>, 4> cases{{
        {HotkeyAction::captureArea, "captureArea"}, {HotkeyAction::captureFullScreen, "captureFullScreen"},
        {HotkeyAction::captureWindow, "captureWindow"}, {HotkeyAction::openClipboard, "openClipboard"}}};
};
QString label(HotkeyAction action);
