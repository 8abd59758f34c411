#pragma once
// What the session offers for drawing on screen, found before Qt starts.
enum class DisplayState { available, displayUnset, waylandOnly, unreachable };
