#include "MenuBar/TileHoverModel.h"

void TileHoverModel::setHovered(const QUuid& id)
{
    if (id == m_hoveredID)
        return;
    m_hoveredID = id;
    Q_EMIT hoveredIDChanged(id);
}
