#include "Screenshot/AppIDMatch.h"

bool appIDMatches(const QString& appID, const QString& bundleID, const QStringList& linuxIDs)
{
    if (appID.isEmpty())
        return false;
    if (appID == bundleID)
        return true;
    for (const QString& id : linuxIDs)
        if (appID.compare(id, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}
