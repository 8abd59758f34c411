#include "MenuBar/TileMouseArea.h"

#include "MenuBar/TileHoverSync.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

TileMouseArea::TileMouseArea(TileHoverSync& hover, QWidget* parent)
    : QWidget(parent)
    , m_hover(hover)
{
    static const bool factoryInstalled = (QAccessible::installFactory(&TileMouseAreaAccessible::factory), true);
    Q_UNUSED(factoryInstalled);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(false);
}

TileMouseArea::~TileMouseArea() { m_hover.unregisterTile(this); }

void TileMouseArea::configure(const QUuid& itemID, std::function<void()> onClick, std::function<QMenu*()> makeMenu,
                              std::function<void()> deleteAction, const QString& toolTip)
{
    m_itemID = itemID;
    m_onClick = std::move(onClick);
    m_makeMenu = std::move(makeMenu);
    m_deleteAction = std::move(deleteAction);
    setToolTip(toolTip);
    setAccessibleName(toolTip);
}

void TileMouseArea::click() const
{
    if (m_onClick)
        m_onClick();
}

void TileMouseArea::runDelete() const
{
    if (m_deleteAction)
        m_deleteAction();
}

QMenu* TileMouseArea::makeMenu() const { return m_makeMenu ? m_makeMenu() : new QMenu; }

void TileMouseArea::showMenuAtCorner()
{
    QMenu* menu = makeMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height())));
}

void TileMouseArea::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        e->ignore();
        return;
    }
    m_mouseDownInside = rect().contains(e->position().toPoint());
}

void TileMouseArea::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const bool inside = m_mouseDownInside && rect().contains(e->position().toPoint());
    m_mouseDownInside = false;
    if (inside)
        click();
}

void TileMouseArea::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = makeMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TileMouseArea::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    m_hover.registerTile(this);
}

void TileMouseArea::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_hover.unregisterTile(this);
}

TileMouseAreaAccessible::TileMouseAreaAccessible(QWidget* w)
    : QAccessibleWidget(w, QAccessible::Button)
{
}

QStringList TileMouseAreaAccessible::actionNames() const
{
    return {pressAction(), showMenuAction()};
}

void TileMouseAreaAccessible::doAction(const QString& actionName)
{
    auto* area = static_cast<TileMouseArea*>(widget());
    if (actionName == pressAction())
        area->click();
    else if (actionName == showMenuAction())
        area->showMenuAtCorner();
}

QString TileMouseAreaAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return widget()->toolTip();
    return QAccessibleWidget::text(t);
}

QAccessibleInterface* TileMouseAreaAccessible::factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TileMouseArea") && object && object->isWidgetType())
        return new TileMouseAreaAccessible(static_cast<QWidget*>(object));
    return nullptr;
}
