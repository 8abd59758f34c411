#pragma once
// Which screenshot tile the pointer is over: one identifier shared by the tiles
// of a panel, published only when it changes, so an idle pointer wakes nobody.
#include <QObject>
#include <QUuid>

class TileHoverModel : public QObject {
    Q_OBJECT
public:
    explicit TileHoverModel(QObject* parent = nullptr) : QObject(parent) {}

    QUuid hoveredID() const { return m_hoveredID; } // null: no tile
    void setHovered(const QUuid& id);

Q_SIGNALS:
    void hoveredIDChanged(const QUuid& id);

private:
    QUuid m_hoveredID;
};
