#include "Ui/TransientUi.h"

#include "Platform/RepaintWatch.h"
#include "Ui/Popover.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

TransientUi::TransientUi(std::unique_ptr<RepaintWatch> repaint, QObject* parent)
    : QObject(parent)
    , m_repaint(std::move(repaint))
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
    const QEvent::Type type = event->type();
    if ((type != QEvent::Hide && type != QEvent::Close) || !watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow() || !isTransient(w))
        return false;
    if (!m_repaint) {
        if (type == QEvent::Hide)
            m_sinceHidden.start();
        return false;
    }
    // Closing comes before the unmap: drawing from then on is what the windows
    // beneath do. A bare hide is seen after the unmap; the restart then may
    // miss an early repaint, which costs waiting time, never a wrong picture.
    if (type == QEvent::Close) {
        absorbRepaint();
        m_closing = w;
        return false;
    }
    if (w != m_closing)
        absorbRepaint();
    m_closing = nullptr;
    const qreal dpr = w->devicePixelRatioF();
    const QRect g = w->geometry();
    m_unpainted += QRect((QPointF(g.topLeft()) * dpr).toPoint(), (QSizeF(g.size()) * dpr).toSize());
    m_sinceHidden.start();
    return false;
}

void TransientUi::absorbRepaint()
{
    if (!m_unpainted.isEmpty())
        m_unpainted -= m_repaint->drawnSinceRestart();
    m_repaint->restart();
}

std::optional<bool> TransientUi::repainted(int forgetMs)
{
    if (!m_repaint || !m_repaint->works())
        return std::nullopt;
    // Long gone windows were repainted, or never will be.
    if (!m_sinceHidden.isValid() || m_sinceHidden.elapsed() >= forgetMs)
        m_unpainted = {};
    return (m_unpainted - m_repaint->drawnSinceRestart()).isEmpty();
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
