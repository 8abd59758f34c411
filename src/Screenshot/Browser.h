#pragma once
// A browser whose front tab can be rendered off screen instead of scrolled.
#include <QList>
#include <QString>
#include <QStringList>

struct Browser {
    QString name;      // used in messages
    QString bundleID;  // the identity the table was written for
    QString appName;   // the application's own name
    bool isSafari = false;
    QStringList linuxIDs; // desktop-file ids / WM_CLASS / executable names on Linux

    bool matches(const QString& appID) const;

    // Searched in this order.
    static const QList<Browser>& table();
    static const Browser* find(const QString& appID);
};
