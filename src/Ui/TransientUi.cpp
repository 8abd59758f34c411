#include "Ui/TransientUi.h"

#include "Ui/Popover.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

TransientUi::TransientUi(QObject* parent)
    : QObject(parent)
{
    qApp->installEventFilter(this);
}

TransientUi::~TransientUi()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool TransientUi::isTransient(const QWidget* window)
{
    return window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip || qobject_cast<const QMenu*>(window)
        || qobject_cast<const Popover*>(window);
}

bool TransientUi::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* w = static_cast<QWidget*>(watched);
        if (w->isWindow() && isTransient(w))
            m_sinceHidden.start();
    }
    return false;
}

bool TransientUi::hideTooltips()
{
    bool hidden = false;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible()) {
            w->hide();
            hidden = true;
        }
    return hidden;
}

bool TransientUi::dismiss(int recentMs)
{
    const bool recent = m_sinceHidden.isValid() && m_sinceHidden.elapsed() < recentMs;
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
    // The rest: menus and popovers outside the popup stack, and the floating
    // tool-tip-like windows (a toast), which come back on their next showing.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && isTransient(w)) {
            if (w->windowType() == Qt::ToolTip)
                w->hide();
            else
                w->close();
            hidden = true;
        }
    return hidden || recent;
}
