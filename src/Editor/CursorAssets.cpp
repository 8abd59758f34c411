#include "Editor/CursorAssets.h"

#include "Editor/CursorArtwork.h"

#include <QMutex>
#include <QMutexLocker>

QImage CursorAssets::image(const QString& name)
{
    // Renderers may run off the main thread (text recognition, exports).
    static QMutex mutex;
    static QHash<QString, QImage> cache;
    const QString key = baseStyle(name);
    QMutexLocker lock(&mutex);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QImage picture = CursorArtwork::paint(key, pictureSide);
    if (!picture.isNull())
        cache.insert(key, picture);
    return picture;
}

bool CursorAssets::isClickStyle(const QString& name)
{
    return name.endsWith(QLatin1String("Click"));
}

std::array<CursorAssets::ClickRing, 2> CursorAssets::clickRings(double cursorSize)
{
    return {{{0.167 * cursorSize, 0.057 * cursorSize, 1.0}, {0.253 * cursorSize, 0.033 * cursorSize, 0.4}}};
}
