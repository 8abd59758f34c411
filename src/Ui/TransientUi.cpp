#include "Ui/TransientUi.h"

#include "Ui/Popover.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

bool TransientUi::hideTooltips()
{
    bool hidden = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowType() == Qt::ToolTip && w->isVisible()) {
            w->hide();
            hidden = true;
        }
    return hidden;
}

bool TransientUi::dismiss()
{
    bool hidden = hideTooltips();
    // Popups stack (a menu over the panel): close from the top down. A popup
    // that refuses to close must not hold the loop.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
        hidden = true;
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (qobject_cast<QMenu*>(w) || qobject_cast<Popover*>(w))) {
            w->close();
            hidden = true;
        }
    return hidden;
}
