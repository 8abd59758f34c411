#include "Permissions/RefusalTexts.h"

#include "Localization/Localizer.h"

namespace RefusalTexts {

QString screenUnreadable()
{
    return Localizer::t(QStringLiteral("Der X-Server verweigert das Lesen des Bildschirms, etwa in einer Wayland-Sitzung oder über „ssh -X“. Melde dich in einer X11-Sitzung an bzw. verbinde dich mit „ssh -Y“."));
}

QString xtestMissing()
{
    return Localizer::t(QStringLiteral("Der X-Server bietet die Erweiterung XTEST nicht an, mit der Zentu.it das gewählte Fenster scrollt. Schalte XTEST in der Konfiguration des X-Servers ein (bei Xorg ist es von Haus aus an) und melde dich neu an."));
}

} // namespace RefusalTexts
