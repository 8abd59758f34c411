#include "MenuBar/TileHoverModel.h"

TileHoverModel& TileHoverModel::shared()
{
    static TileHoverModel* model = new TileHoverModel; // lives as long as the process
    return *model;
}

void TileHoverModel::setHovered(const QUuid& id)
{
    if (id == m_hoveredID)
        return;
    m_hoveredID = id;
    Q_EMIT hoveredIDChanged(id);
}
