#pragma once
// A PDF viewer whose open document can be rendered instead of scrolled.
#include "Platform/PdfViewerBridge.h"

#include <QList>
#include <QString>
#include <QStringList>

struct DocApp {
    QString name;       // used in messages
    QString bundleID;   // the identity the table was written for
    QStringList linuxIDs; // desktop-file ids / WM_CLASS / executable names on Linux

    bool isPreview() const { return bundleID == QLatin1String("com.apple.Preview"); }
    bool matches(const QString& appID) const;

    // Searched in this order; the first row is the system viewer.
    static const QList<DocApp>& table();
    static const DocApp* find(const QString& appID);
    // Every viewer but the system one keeps its documents as open files.
    static PdfViewerRules viewerRules();
};
