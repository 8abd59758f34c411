#include "Screenshot/CaptureOverlayWindow.h"

#include "Screenshot/CaptureOverlayView.h"

CaptureOverlayWindow::CaptureOverlayWindow(const QRect& screenFrame, QScreen* screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
                           | Qt::NoDropShadowWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    if (screen)
        setScreen(screen);
    setGeometry(screenFrame);
}

void CaptureOverlayWindow::setContentView(CaptureOverlayView* view)
{
    if (m_contentView == view)
        return;
    if (m_contentView) {
        // May be called from inside the view's own event handler.
        m_contentView->hide();
        m_contentView->deleteLater();
    }
    m_contentView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        view->show();
    }
}
