#include "Ui/DrawingCaches.h"

#include "Ui/IconRegistry.h"

#include <QPixmapCache>

namespace DrawingCaches {

void release()
{
    IconRegistry::unloadFont();
    QPixmapCache::clear();
}

} // namespace DrawingCaches
