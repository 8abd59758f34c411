#include "Screenshot/ScrollCancel.h"

#include "Debug/DebugLog.h"
#include "Platform/KeyWatch.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

// Escape pressed in one of our own windows: raises the flag and is swallowed.
class LocalEscapeFilter final : public QObject {
public:
    LocalEscapeFilter(bool& requested, QObject* parent) : QObject(parent), m_requested(requested) { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_requested = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool& m_requested;
};

} // namespace

ScrollCancel::ScrollCancel(KeyWatch& watch) : m_watch(watch) { }

ScrollCancel::~ScrollCancel()
{
    end();
}

void ScrollCancel::begin()
{
    m_requested = false;
    if (!m_watching) {
        m_watching = true;
        if (!m_watch.start([this] { m_requested = true; }))
            DebugLog::write(QStringLiteral("SCROLL ESC-Überwachung außerhalb der App nicht verfügbar"));
    }
    if (!m_localFilter && QCoreApplication::instance()) {
        m_localFilter = new LocalEscapeFilter(m_requested, QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(m_localFilter);
    }
}

void ScrollCancel::end()
{
    if (m_watching)
        m_watch.stop();
    m_watching = false;
    if (m_localFilter) {
        QCoreApplication::instance()->removeEventFilter(m_localFilter);
        delete m_localFilter;
    }
    m_requested = false;
}
