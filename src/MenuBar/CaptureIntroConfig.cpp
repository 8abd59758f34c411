#include "MenuBar/CaptureIntroConfig.h"

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
        QStringLiteral("Screenshot"),
        QStringLiteral("So wählst du den Ausschnitt:"),
        {
            {QStringLiteral("crop"), IntroPalette::crop(), QStringLiteral("Bereich"),
             QStringLiteral("manuell mit der Maus ausschneiden")},
            {QStringLiteral("macwindow"), IntroPalette::win(), QStringLiteral("Fenster"),
             QStringLiteral("wird automatisch erkannt")},
            {QStringLiteral("display"), IntroPalette::sec(), QStringLiteral("Desktop"),
             QStringLiteral("Ausschnitt bis zum Rand ziehen — rastet ein")},
        },
        QStringLiteral("Fenster wird beim Überfahren hervorgehoben"),
        QStringLiteral("zentuHideCaptureIntro"),
        false,
    };
    return config;
}

const CaptureIntroConfig& CaptureIntroConfig::scroll()
{
    static const CaptureIntroConfig config{
        QStringLiteral("rectangle.portrait.arrowtriangle.2.outward"),
        QStringLiteral("Scroll-Aufnahme"),
        QStringLiteral("Nach dem Klick auf OK wählst du:"),
        {
            {QStringLiteral("macwindow"), IntroPalette::win(), QStringLiteral("Fenster"),
             QStringLiteral("anklicken — blaue Umrandung")},
            {QStringLiteral("rectangle.dashed"), IntroPalette::sec(), QStringLiteral("Abschnitt"),
             QStringLiteral("scrollbaren Bereich anklicken")},
            {QStringLiteral("crop"), IntroPalette::crop(), QStringLiteral("Bereich"),
             QStringLiteral("mit der Maus aufziehen")},
        },
        QStringLiteral("Fenster offen & im Vordergrund — nicht minimiert"),
        QStringLiteral("zentuHideScrollIntro"),
        true,
    };
    return config;
}
