#include "Screenshot/Browser.h"

#include "Screenshot/AppIDMatch.h"

bool Browser::matches(const QString& appID) const { return appIDMatches(appID, bundleID, linuxIDs); }

const QList<Browser>& Browser::table()
{
    // Safari and Arc have no Linux build. The Linux ids are the desktop-file
    // ids and WM_CLASS names the vendors' and Debian's packages install.
    static const QList<Browser> rows = {
        {QStringLiteral("Safari"), QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"), true, {}},
        {QStringLiteral("Google Chrome"), QStringLiteral("com.google.Chrome"), QStringLiteral("Google Chrome"),
         false,
         {QStringLiteral("google-chrome"), QStringLiteral("google-chrome-stable"),
          QStringLiteral("google-chrome-beta"), QStringLiteral("google-chrome-unstable"), QStringLiteral("chrome")}},
        {QStringLiteral("Brave"), QStringLiteral("com.brave.Browser"), QStringLiteral("Brave Browser"), false,
         {QStringLiteral("brave-browser"), QStringLiteral("brave"), QStringLiteral("com.brave.Browser")}},
        {QStringLiteral("Microsoft Edge"), QStringLiteral("com.microsoft.edgemac"),
         QStringLiteral("Microsoft Edge"), false,
         {QStringLiteral("microsoft-edge"), QStringLiteral("microsoft-edge-stable"), QStringLiteral("msedge"),
          QStringLiteral("com.microsoft.Edge")}},
        {QStringLiteral("Arc"), QStringLiteral("company.thebrowser.Browser"), QStringLiteral("Arc"), false, {}},
        {QStringLiteral("Vivaldi"), QStringLiteral("com.vivaldi.Vivaldi"), QStringLiteral("Vivaldi"), false,
         {QStringLiteral("vivaldi-stable"), QStringLiteral("vivaldi"), QStringLiteral("vivaldi-bin"),
          QStringLiteral("com.vivaldi.Vivaldi")}},
        {QStringLiteral("Opera"), QStringLiteral("com.operasoftware.Opera"), QStringLiteral("Opera"), false,
         {QStringLiteral("opera"), QStringLiteral("com.opera.Opera")}},
        {QStringLiteral("Opera GX"), QStringLiteral("com.operasoftware.OperaGX"), QStringLiteral("Opera GX"),
         false, {}},
        // The browsers a Debian desktop ships; both tell the page's address
        // over the accessibility bus while accessibility is on.
        {QStringLiteral("Chromium"), QStringLiteral("org.chromium.Chromium"), QStringLiteral("Chromium"), false,
         {QStringLiteral("chromium"), QStringLiteral("chromium-browser"), QStringLiteral("org.chromium.Chromium")}},
        {QStringLiteral("Firefox"), QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox"), false,
         {QStringLiteral("firefox-esr"), QStringLiteral("firefox"), QStringLiteral("org.mozilla.firefox")}},
    };
    return rows;
}

const Browser* Browser::find(const QString& appID)
{
    for (const Browser& b : table())
        if (b.matches(appID))
            return &b;
    return nullptr;
}
