#include "Editor/CursorAssets.h"

#include "Editor/CursorArtwork.h"

#include <QMutex>
#include <QMutexLocker>

const QHash<QString, QPointF>& CursorAssets::hotspots()
{
    static const QHash<QString, QPointF> table = [] {
        QHash<QString, QPointF> t;
        const QPointF arrow(0.2, 0.13333), pointer(0.41, 0.18667);
        const QPointF arrowClick(0.36842, 0.31579), ptrClick(0.53421, 0.35789);
        for (const char* family : {"solid", "soft", "wire", "frosted"}) {
            const QString f = QString::fromLatin1(family) + QLatin1Char('_');
            t.insert(f + QStringLiteral("arrow"), arrow);
            t.insert(f + QStringLiteral("pointer"), pointer);
            t.insert(f + QStringLiteral("arrowClick"), arrowClick);
            t.insert(f + QStringLiteral("ptrClick"), ptrClick);
        }
        t.insert(QStringLiteral("windows_arrow"), arrow);
        t.insert(QStringLiteral("windows_pointer"), pointer);
        return t;
    }();
    return table;
}

QString CursorAssets::baseStyle(const QString& name)
{
    if (name.endsWith(QLatin1String("arrowClick")))
        return name.left(name.size() - 5);
    if (name.endsWith(QLatin1String("ptrClick"))) {
        QString base = name;
        return base.replace(QLatin1String("ptrClick"), QLatin1String("pointer"));
    }
    return name;
}

QPointF CursorAssets::hotspot(const QString& style)
{
    return hotspots().value(baseStyle(style), QPointF(defaultHotspotX, defaultHotspotY));
}

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
