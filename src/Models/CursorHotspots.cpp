#include "Models/CursorHotspots.h"

const QHash<QString, QPointF>& CursorHotspots::table()
{
    static const QHash<QString, QPointF> hotspots = [] {
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
    return hotspots;
}

QString CursorHotspots::baseStyle(const QString& name)
{
    if (name.endsWith(QLatin1String("arrowClick")))
        return name.left(name.size() - 5);
    if (name.endsWith(QLatin1String("ptrClick"))) {
        QString base = name;
        return base.replace(QLatin1String("ptrClick"), QLatin1String("pointer"));
    }
    return name;
}

QPointF CursorHotspots::of(const QString& style)
{
    return table().value(baseStyle(style), QPointF(defaultX, defaultY));
}
