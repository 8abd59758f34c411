#include "Platform/Qt/XdgAppNameResolver.h"

#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTextStream>

std::optional<QString> XdgAppNameResolver::displayName(const QString& appId, const QString& lang) const
{
    QString id = appId;
    if (id.endsWith(QLatin1String(".desktop")))
        id.chop(8);
    // A plain file name only: the id comes from other programs' windows.
    if (id.contains(QLatin1Char('/')) || id.contains(QChar(0)))
        return std::nullopt;
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id + QLatin1String(".desktop"));
    // The app's own copies carry its id also where it is not installed.
    if (path.isEmpty() && !id.isEmpty() && id == QGuiApplication::desktopFileName())
        return QGuiApplication::applicationDisplayName();
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    bool inEntry = false;
    QString name, localized;
    const QString localizedKey = QStringLiteral("Name[%1]=").arg(lang);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        if (line.startsWith(QLatin1String("Name=")))
            name = line.mid(5).trimmed();
        else if (!lang.isEmpty() && line.startsWith(localizedKey))
            localized = line.mid(localizedKey.size()).trimmed();
    }
    if (!localized.isEmpty())
        return localized;
    if (!name.isEmpty())
        return name;
    return std::nullopt;
}
