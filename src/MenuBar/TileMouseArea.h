#pragma once
// The transparent layer over a screenshot tile that takes its mouse input: a
// click is a press and a release both inside it; a right click asks for a fresh
// context menu. While shown it is registered with the panel's TileHoverSync.
#include <QAccessibleWidget>
#include <QUuid>
#include <QWidget>
#include <functional>

class QMenu;
class TileHoverSync;

class TileMouseArea : public QWidget {
    Q_OBJECT
public:
    explicit TileMouseArea(TileHoverSync& hover, QWidget* parent = nullptr);
    ~TileMouseArea() override;

    // Copies the identifier and the actions in; runs on every update of the tile.
    void configure(const QUuid& itemID, std::function<void()> onClick, std::function<QMenu*()> makeMenu,
                   std::function<void()> deleteAction, const QString& toolTip);

    QUuid itemID() const { return m_itemID; }
    void click() const;
    void runDelete() const;
    // A new menu built from the values configured last; the caller owns it.
    QMenu* makeMenu() const;
    // Pops the menu up at the lower left corner, as the accessibility action does.
    void showMenuAtCorner();

protected:
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    TileHoverSync& m_hover;
    QUuid m_itemID;
    std::function<void()> m_onClick;
    std::function<QMenu*()> m_makeMenu;
    std::function<void()> m_deleteAction;
    bool m_mouseDownInside = false;
};

// Press and show-menu for assistive technology, named by the tile's tooltip.
class TileMouseAreaAccessible : public QAccessibleWidget {
public:
    explicit TileMouseAreaAccessible(QWidget* w);
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QString text(QAccessible::Text t) const override;
    static QAccessibleInterface* factory(const QString& className, QObject* object);
};
