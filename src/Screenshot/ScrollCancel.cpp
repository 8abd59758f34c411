#include "Screenshot/ScrollCancel.h"

#include "Storage/DebugLog.h"
#include "Platform/KeyWatch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>

namespace {

bool requestedFlag = false;
std::shared_ptr<KeyWatch> keyWatch;
bool watching = false;

// Escape pressed in one of our own windows: raises the flag and is swallowed.
class LocalEscapeFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            requestedFlag = true;
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QPointer<LocalEscapeFilter> localFilter;

} // namespace

void ScrollCancel::setKeyWatch(std::shared_ptr<KeyWatch> watch)
{
    if (watching && keyWatch)
        keyWatch->stop();
    watching = false;
    keyWatch = std::move(watch);
}

void ScrollCancel::begin()
{
    requestedFlag = false;
    if (keyWatch && !watching) {
        watching = true;
        if (!keyWatch->start([] { requestedFlag = true; }))
            DebugLog::write(QStringLiteral("SCROLL ESC-Überwachung außerhalb der App nicht verfügbar"));
    }
    if (!localFilter && QCoreApplication::instance()) {
        localFilter = new LocalEscapeFilter(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(localFilter);
    }
}

void ScrollCancel::end()
{
    if (keyWatch && watching)
        keyWatch->stop();
    watching = false;
    if (localFilter) {
        QCoreApplication::instance()->removeEventFilter(localFilter);
        delete localFilter;
    }
    requestedFlag = false;
}

bool ScrollCancel::requested()
{
    return requestedFlag;
}
