#include "Screenshot/DocApp.h"

#include "Screenshot/AppIDMatch.h"
#include "Screenshot/PdfSignature.h"

bool DocApp::matches(const QString& appID) const { return appIDMatches(appID, bundleID, linuxIDs); }

const QList<DocApp>& DocApp::table()
{
    // Preview and Acrobat have no Linux build; their rows stay so that their
    // identities keep working where they are reported. The Linux document
    // viewers follow them.
    static const QList<DocApp> rows = {
        {QStringLiteral("Vorschau"), QStringLiteral("com.apple.Preview"), {}},
        {QStringLiteral("Adobe Acrobat Reader"), QStringLiteral("com.adobe.Reader"),
         {QStringLiteral("acroread"), QStringLiteral("AcroRead")}},
        {QStringLiteral("Adobe Acrobat"), QStringLiteral("com.adobe.Acrobat.Pro"), {}},
        {QStringLiteral("Evince"), QStringLiteral("org.gnome.Evince"),
         {QStringLiteral("org.gnome.Evince"), QStringLiteral("evince")}},
        {QStringLiteral("Okular"), QStringLiteral("org.kde.okular"),
         {QStringLiteral("org.kde.okular"), QStringLiteral("okular")}},
        {QStringLiteral("Atril"), QStringLiteral("org.mate.Atril"),
         {QStringLiteral("org.mate.Atril"), QStringLiteral("atril")}},
        {QStringLiteral("Xreader"), QStringLiteral("xreader"), {QStringLiteral("xreader")}},
        {QStringLiteral("qpdfview"), QStringLiteral("qpdfview"), {QStringLiteral("qpdfview")}},
        {QStringLiteral("Zathura"), QStringLiteral("org.pwmt.zathura"),
         {QStringLiteral("org.pwmt.zathura"), QStringLiteral("zathura")}},
    };
    return rows;
}

const DocApp* DocApp::find(const QString& appID)
{
    for (const DocApp& app : table())
        if (app.matches(appID))
            return &app;
    return nullptr;
}

PdfViewerRules DocApp::viewerRules()
{
    return {[](const QString& appID) {
                const DocApp* app = find(appID);
                return app && !app->isPreview();
            },
            isPdfFile};
}
