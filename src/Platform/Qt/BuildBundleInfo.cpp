#include "Platform/Qt/BuildBundleInfo.h"

#ifndef ZENTU_SHORT_VERSION
#define ZENTU_SHORT_VERSION ""
#endif
#ifndef ZENTU_BUILD_NUMBER
#define ZENTU_BUILD_NUMBER ""
#endif

QVariantMap BuildBundleInfo::infoDictionary() const
{
    QVariantMap info;
    // An empty value was not recorded.
    if (const QString v = QStringLiteral(ZENTU_SHORT_VERSION); !v.isEmpty())
        info.insert(QString::fromLatin1(shortVersionKey), v);
    if (const QString b = QStringLiteral(ZENTU_BUILD_NUMBER); !b.isEmpty())
        info.insert(QString::fromLatin1(buildKey), b);
    return info;
}
