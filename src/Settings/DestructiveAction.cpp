#include "Settings/DestructiveAction.h"

#include "Localization/Localizer.h"
#include "Platform/Alerts.h"
#include "Text/ButtonText.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QPushButton>

namespace DestructiveAction {

QPushButton* button(const QString& text, const QString& symbolName)
{
    auto* b = new QPushButton(ButtonText::escaped(text));
    b->setAccessibleName(text);
    QPalette p = b->palette();
    p.setColor(QPalette::ButtonText, Theme::red());
    b->setPalette(p);
    if (!symbolName.isEmpty())
        b->setIcon(IconRegistry::icon(symbolName, 13, Theme::red()));
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
}

bool confirm(Alerts& alerts, const QString& title, const QString& message, const QString& action)
{
    Alerts::Alert alert;
    alert.message = title;
    alert.informativeText = message;
    alert.buttons = {action, Localizer::t(QStringLiteral("Abbrechen"))};
    alert.informational = false;
    // Return keeps the data: only a click on the first button removes it.
    alert.defaultButton = 1;
    return alerts.runModal(alert) == 0;
}

} // namespace DestructiveAction
