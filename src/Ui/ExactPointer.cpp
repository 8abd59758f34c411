#include "Ui/ExactPointer.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

ExactPointer::ExactPointer(QWidget& widget)
    : QObject(&widget)
    , m_widget(widget)
{
    widget.installEventFilter(this);
}

bool ExactPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_widget) {
        if (event->type() == QEvent::Show) {
            QWindow* window = m_widget.window()->windowHandle();
            if (window && window != m_watchedWindow) {
                if (m_watchedWindow)
                    m_watchedWindow->removeEventFilter(this);
                window->installEventFilter(this);
                m_watchedWindow = window;
            }
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
        m_inWindow = static_cast<QSinglePointEvent*>(event)->position();
        m_known = true;
        break;
    default:
        break;
    }
    return false;
}

QPointF ExactPointer::position(const QSinglePointEvent& event) const
{
    const QPointF rounded = event.position();
    if (!m_known)
        return rounded;
    const QPointF exact = m_inWindow - QPointF(m_widget.mapTo(m_widget.window(), QPoint(0, 0)));
    // The same event, rounded: one point apart at most.
    const QPointF apart = exact - rounded;
    return std::abs(apart.x()) < 1 && std::abs(apart.y()) < 1 ? exact : rounded;
}
