#include "Ui/HomeRelativePath.h"

#include <QDir>

QString homeRelativePath(const QString& path, const QString& home)
{
    const QString clean = QDir::cleanPath(path);
    const QString base = QDir::cleanPath(home);
    // "/" as home would turn every path into "~…".
    if (home.isEmpty() || base == QLatin1String("/"))
        return clean;
    if (clean == base)
        return QStringLiteral("~");
    if (clean.startsWith(base + QLatin1Char('/')))
        return QLatin1Char('~') + clean.mid(base.size());
    return clean;
}
