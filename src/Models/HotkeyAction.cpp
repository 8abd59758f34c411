#include "Models/HotkeyAction.h"

#include "Localization/Localizer.h"

QString label(HotkeyAction action)
{
    switch (action) {
    case HotkeyAction::captureArea: return Localizer::t(QStringLiteral("Aufnahme-Modus (Bereich/Fenster)"));
    case HotkeyAction::captureFullScreen: return Localizer::t(QStringLiteral("Ganzer Bildschirm"));
    case HotkeyAction::captureWindow: return Localizer::t(QStringLiteral("Scroll-Aufnahme (Fenster/Bereich)"));
    case HotkeyAction::openClipboard: return Localizer::t(QStringLiteral("Zwischenablage-Verlauf"));
    }
    return {};
}
