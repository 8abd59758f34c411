#include "App/SessionRequirement.h"

#include "Localization/Localizer.h"

std::optional<QString> SessionRequirement::unmet(DisplayState state, const QString& display)
{
    switch (state) {
    case DisplayState::available:
        return std::nullopt;
    case DisplayState::displayUnset:
        return Localizer::t(QStringLiteral("Zentu.it braucht eine X11-Sitzung, aber die Variable DISPLAY ist nicht gesetzt."));
    case DisplayState::waylandOnly:
        return Localizer::t(QStringLiteral(
            "Zentu.it braucht eine X11-Sitzung, aber diese Sitzung bietet nur Wayland: WAYLAND_DISPLAY ist gesetzt, DISPLAY nicht."));
    case DisplayState::unreachable:
        return Localizer::t(QStringLiteral("Zentu.it braucht eine X11-Sitzung, aber der X-Server %1 aus der Variable DISPLAY antwortet nicht."))
            .arg(display);
    }
    return std::nullopt;
}
