#include "Screenshot/ScrollProgress.h"

void ScrollProgress::setStrips(int strips)
{
    if (strips == m_strips)
        return;
    m_strips = strips;
    Q_EMIT stripsChanged(strips);
}

void ScrollProgress::setHeightPx(int heightPx)
{
    if (heightPx == m_heightPx)
        return;
    m_heightPx = heightPx;
    Q_EMIT heightPxChanged(heightPx);
}
