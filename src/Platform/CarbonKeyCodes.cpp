#include "Platform/CarbonKeyCodes.h"

#include <utility>
#include <vector>

namespace {

// {Carbon virtual key code, evdev code} for every key a hotkey can hold.
constexpr std::pair<uint32_t, uint32_t> table[] = {
    {0, 30} /*A*/, {1, 31} /*S*/, {2, 32} /*D*/, {3, 33} /*F*/, {4, 35} /*H*/, {5, 34} /*G*/,
    {6, 44} /*Z*/, {7, 45} /*X*/, {8, 46} /*C*/, {9, 47} /*V*/, {10, 86} /*ISO key left of Z*/,
    {11, 48} /*B*/, {12, 16} /*Q*/, {13, 17} /*W*/, {14, 18} /*E*/, {15, 19} /*R*/, {16, 21} /*Y*/,
    {17, 20} /*T*/, {18, 2} /*1*/, {19, 3} /*2*/, {20, 4} /*3*/, {21, 5} /*4*/, {22, 7} /*6*/,
    {23, 6} /*5*/, {24, 13} /*=*/, {25, 10} /*9*/, {26, 8} /*7*/, {27, 12} /*-*/, {28, 9} /*8*/,
    {29, 11} /*0*/, {30, 27} /*]*/, {31, 24} /*O*/, {32, 22} /*U*/, {33, 26} /*[*/, {34, 23} /*I*/,
    {35, 25} /*P*/, {36, 28} /*Return*/, {37, 38} /*L*/, {38, 36} /*J*/, {39, 40} /*'*/,
    {40, 37} /*K*/, {41, 39} /*;*/, {42, 43} /*\*/, {43, 51} /*,*/, {44, 53} /*/*/, {45, 49} /*N*/,
    {46, 50} /*M*/, {47, 52} /*.*/, {48, 15} /*Tab*/, {49, 57} /*Space*/, {50, 41} /*`*/,
    {51, 14} /*Backspace*/, {53, 1} /*Escape*/, {65, 83} /*KP .*/, {67, 55} /*KP * */,
    {69, 78} /*KP +*/, {71, 69} /*KP clear ~ NumLock*/, {75, 98} /*KP /*/, {76, 96} /*KP Enter*/,
    {78, 74} /*KP -*/, {81, 117} /*KP =*/, {82, 82} /*KP 0*/, {83, 79} /*KP 1*/, {84, 80} /*KP 2*/,
    {85, 81} /*KP 3*/, {86, 75} /*KP 4*/, {87, 76} /*KP 5*/, {88, 77} /*KP 6*/, {89, 71} /*KP 7*/,
    {91, 72} /*KP 8*/, {92, 73} /*KP 9*/, {96, 63} /*F5*/, {97, 64} /*F6*/, {98, 65} /*F7*/,
    {99, 61} /*F3*/, {100, 66} /*F8*/, {101, 67} /*F9*/, {103, 87} /*F11*/, {105, 183} /*F13*/,
    {106, 186} /*F16*/, {107, 184} /*F14*/, {109, 68} /*F10*/, {111, 88} /*F12*/, {113, 185} /*F15*/,
    {114, 110} /*Help ~ Insert*/, {115, 102} /*Home*/, {116, 104} /*PageUp*/, {117, 111} /*Delete*/,
    {118, 62} /*F4*/, {119, 107} /*End*/, {120, 60} /*F2*/, {121, 109} /*PageDown*/, {122, 59} /*F1*/,
    {123, 105} /*Left*/, {124, 106} /*Right*/, {125, 108} /*Down*/, {126, 103} /*Up*/,
};
constexpr uint32_t evdevOffset = 8;

} // namespace

namespace CarbonKeyCodes {

std::optional<uint32_t> toX11Keycode(uint32_t carbon)
{
    for (const auto& [c, evdev] : table)
        if (c == carbon)
            return evdev + evdevOffset;
    return std::nullopt;
}

std::optional<uint32_t> fromX11Keycode(uint32_t x11)
{
    for (const auto& [c, evdev] : table)
        if (evdev + evdevOffset == x11)
            return c;
    return std::nullopt;
}

const std::vector<uint32_t>& knownCarbonCodes()
{
    static const std::vector<uint32_t> codes = [] {
        std::vector<uint32_t> v;
        for (const auto& entry : table)
            v.push_back(entry.first);
        return v;
    }();
    return codes;
}

} // namespace CarbonKeyCodes
