#include "Ui/AccessibleApplication.h"

#include <QApplication>
#include <QMenu>
#include <QWidget>

QObjectList AccessibleApplication::shownPopups()
{
    QObjectList popups;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowType() == Qt::Popup && w->isVisible() && !qobject_cast<QMenu*>(w))
            popups << w;
    return popups;
}

int AccessibleApplication::childCount() const
{
    return QAccessibleApplication::childCount() + int(shownPopups().size());
}

QAccessibleInterface* AccessibleApplication::child(int index) const
{
    const int windows = QAccessibleApplication::childCount();
    if (index < windows)
        return QAccessibleApplication::child(index);
    const QObjectList popups = shownPopups();
    return index - windows < popups.size() ? QAccessible::queryAccessibleInterface(popups.at(index - windows)) : nullptr;
}

int AccessibleApplication::indexOfChild(const QAccessibleInterface* child) const
{
    const int index = QAccessibleApplication::indexOfChild(child);
    if (index >= 0 || !child)
        return index;
    const int popup = int(shownPopups().indexOf(child->object()));
    return popup < 0 ? -1 : QAccessibleApplication::childCount() + popup;
}

void AccessibleApplication::install()
{
    static const bool installed = (QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
        if (object && object == qApp && className == QLatin1String("QApplication"))
            return new AccessibleApplication;
        return nullptr;
    }), true);
    Q_UNUSED(installed);
}
