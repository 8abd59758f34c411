#include "Platform/Qt/QtAppIdentity.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

std::optional<qint64> QtAppIdentity::executableModificationTime() const
{
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return std::nullopt;
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return modified.toSecsSinceEpoch();
}

QString QtAppIdentity::bundleVersion() const
{
    return QCoreApplication::applicationVersion();
}
