#include "Platform/Qt/BuildBundleInfo.h"

#include "BuildSettings.h"

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
