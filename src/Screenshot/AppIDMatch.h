#pragma once
// Whether an application id reported by the platform names a known
// application: its original identity exactly, or one of its Linux ids
// (desktop-file id, WM_CLASS, executable name) in any case.
#include <QString>
#include <QStringList>

bool appIDMatches(const QString& appID, const QString& bundleID, const QStringList& linuxIDs);
