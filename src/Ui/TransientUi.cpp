#include "Ui/TransientUi.h"

#include "Platform/CompositingInfo.h"
#include "Platform/RepaintWatch.h"
#include "Ui/Popover.h"
#include "Ui/TranslucentSurface.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <QWindow>

TransientUi::TransientUi(std::unique_ptr<RepaintWatch> repaint, std::shared_ptr<CompositingInfo> compositing,
                         StillSource still, QObject* parent)
    : QObject(parent)
    , m_repaint(std::move(repaint))
    , m_compositing(std::move(compositing))
    , m_still(std::move(still))
{
    qApp->installEventFilter(this);
    if (m_compositing)
        connect(m_compositing.get(), &CompositingInfo::compositingChanged, this, &TransientUi::compositingChanged);
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
    if ((type != QEvent::Hide && type != QEvent::Show) || !watched->isWidgetType())
        return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow())
        return false;
    if (type == QEvent::Show && m_compositing && isTransient(w))
        if (auto* surface = dynamic_cast<TranslucentSurface*>(w))
            prepareSurface(*w, *surface);
    if (!m_repaint) {
        if (type == QEvent::Hide)
            m_sinceHidden.start();
        return false;
    }
    // The native window's visibility changes before the unmap is sent; the
    // Hide event only comes after it, too late to tell our last drawing from
    // the repaint beneath.
    if (type == QEvent::Show) {
        if (QWindow* handle = w->windowHandle())
            connect(handle, &QWindow::visibleChanged, this, &TransientUi::nativeVisibilityChanged, Qt::UniqueConnection);
        return false;
    }
    if (!m_restartedFor || m_restartedFor != w->windowHandle())
        absorbRepaint(); // late: an early repaint may be missed, which costs waiting, never a wrong picture
    m_restartedFor = nullptr;
    // Only what the window covered is painted again: a shaped window (the
    // toast's capsule) leaves its clipped corners alone.
    // In root pixels: a screen keeps its corner and scales what lies on it.
    const qreal dpr = w->devicePixelRatioF();
    const QPoint screen = w->screen() ? w->screen()->geometry().topLeft() : QPoint();
    const QRect g = w->geometry();
    const QRegion covered = w->mask().isEmpty() ? QRegion(0, 0, g.width(), g.height()) : w->mask();
    for (const QRect& r : covered.translated(g.topLeft() - screen))
        m_unpainted += QRect(screen + (QPointF(r.topLeft()) * dpr).toPoint(), (QSizeF(r.size()) * dpr).toSize());
    m_sinceHidden.start();
    return false;
}

void TransientUi::prepareSurface(QWidget& window, TranslucentSurface& surface)
{
    // The Show event comes before the window maps: the screen still shows
    // what lies beneath it.
    const bool compositing = m_compositing->isCompositing();
    surface.setCompositing(compositing, compositing || !m_still ? QImage() : m_still(window.geometry()));
}

void TransientUi::compositingChanged(bool compositing)
{
    // Windows on screen now lie over what a still would have to show: they
    // go without one until they show again.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* surface = dynamic_cast<TranslucentSurface*>(w); surface && w->isVisible())
            surface->setCompositing(compositing);
}

void TransientUi::nativeVisibilityChanged(bool visible)
{
    if (visible)
        return;
    absorbRepaint();
    m_restartedFor = qobject_cast<QWindow*>(sender());
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
