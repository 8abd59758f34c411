#include "Platform/Qt/BuildBundleInfo.h"

#include "BuildSettings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

QVariantMap BuildBundleInfo::infoDictionary() const
{
    QVariantMap info;
    // An empty value was not recorded.
    if (const QString v = QString::fromUtf8(BuildSettings::version); !v.isEmpty())
        info.insert(QString::fromLatin1(shortVersionKey), v);
    if (const QString b = QString::fromUtf8(BuildSettings::buildNumber); !b.isEmpty())
        info.insert(QString::fromLatin1(buildKey), b);
    return info;
}

std::optional<qint64> BuildBundleInfo::executableModificationTime() const
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
