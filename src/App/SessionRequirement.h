#pragma once
// The program draws on an X11 desktop only. Checked before Qt starts, so a
// start from a text console, over ssh or in a Wayland-only session ends with
// a plain sentence naming what is missing.
#include "Platform/DisplayState.h"

#include <QString>
#include <optional>

class SessionRequirement {
public:
    // Nothing when an X server answers; otherwise the message for the user.
    // display: the DISPLAY the state was found for.
    static std::optional<QString> unmet(DisplayState state, const QString& display);
};
