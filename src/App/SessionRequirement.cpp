#include "App/SessionRequirement.h"

#include "Localization/Localizer.h"
#include "Platform/X11/X11DisplayCheck.h"

std::optional<QString> SessionRequirement::unmet()
{
    switch (X11DisplayCheck::check()) {
    case X11DisplayCheck::State::available:
        return std::nullopt;
    case X11DisplayCheck::State::displayUnset:
        return Localizer::t(QStringLiteral("Zentu.it braucht eine X11-Sitzung, aber die Variable DISPLAY ist nicht gesetzt."));
    case X11DisplayCheck::State::waylandOnly:
        return Localizer::t(QStringLiteral(
            "Zentu.it braucht eine X11-Sitzung, aber diese Sitzung bietet nur Wayland: WAYLAND_DISPLAY ist gesetzt, DISPLAY nicht."));
    case X11DisplayCheck::State::unreachable:
        return Localizer::t(QStringLiteral("Zentu.it braucht eine X11-Sitzung, aber der X-Server %1 aus der Variable DISPLAY antwortet nicht."))
            .arg(X11DisplayCheck::display());
    }
    return std::nullopt;
}
