#include "MenuBar/CaptureIntroConfig.h"

#include "Localization/Localizer.h"
#include "Platform/SettingsKeys.h"

namespace IntroPalette {
QColor ink() { return QColor(30, 32, 36); }
QColor muted() { return QColor(92, 97, 107); }
QColor crop() { return QColor(228, 72, 59); }
QColor win() { return QColor(52, 120, 246); }
QColor sec() { return QColor(31, 169, 113); }
}

const CaptureIntroConfig& CaptureIntroConfig::screenshot()
{
    static const CaptureIntroConfig config{
        QStringLiteral("crop"),
        ZENTU_TEXT("Screenshot"),
        ZENTU_TEXT("So wählst du den Ausschnitt:"),
        {
            {QStringLiteral("crop"), IntroPalette::crop(), ZENTU_TEXT("Bereich"),
             ZENTU_TEXT("manuell mit der Maus ausschneiden")},
            {QStringLiteral("macwindow"), IntroPalette::win(), ZENTU_TEXT("Fenster"),
             ZENTU_TEXT("wird automatisch erkannt")},
            {QStringLiteral("display"), IntroPalette::sec(), ZENTU_TEXT("Desktop"),
             ZENTU_TEXT("Ausschnitt bis zum Rand ziehen — rastet ein")},
        },
        ZENTU_TEXT("Fenster wird beim Überfahren hervorgehoben"),
        QString::fromLatin1(SettingsKeys::hideCaptureIntro),
        false,
    };
    return config;
}

const CaptureIntroConfig& CaptureIntroConfig::scroll()
{
    static const CaptureIntroConfig config{
        QStringLiteral("rectangle.portrait.arrowtriangle.2.outward"),
        ZENTU_TEXT("Scroll-Aufnahme"),
        ZENTU_TEXT("Nach dem Klick auf OK wählst du:"),
        {
            {QStringLiteral("macwindow"), IntroPalette::win(), ZENTU_TEXT("Fenster"),
             ZENTU_TEXT("anklicken — blaue Umrandung")},
            {QStringLiteral("rectangle.dashed"), IntroPalette::sec(), ZENTU_TEXT("Abschnitt"),
             ZENTU_TEXT("scrollbaren Bereich anklicken")},
            {QStringLiteral("crop"), IntroPalette::crop(), ZENTU_TEXT("Bereich"),
             ZENTU_TEXT("mit der Maus aufziehen")},
        },
        ZENTU_TEXT("Fenster offen & im Vordergrund — nicht minimiert"),
        QString::fromLatin1(SettingsKeys::hideScrollIntro),
        true,
    };
    return config;
}
