#include "App/WindowCloseWatcher.h"

#include <QEvent>
#include <QWidget>

WindowCloseWatcher::WindowCloseWatcher(QWidget* window)
    : QObject(window)
{
    window->installEventFilter(this);
}

bool WindowCloseWatcher::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Close:
        // The window may still refuse; it has closed once it hides after this.
        m_closing = true;
        // Hiding happens within the close itself; a refused close leaves no trace.
        QMetaObject::invokeMethod(this, [this] { m_closing = false; }, Qt::QueuedConnection);
        break;
    case QEvent::Show:
        m_closing = false;
        break;
    case QEvent::Hide:
        if (m_closing) {
            m_closing = false;
            Q_EMIT closed();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
