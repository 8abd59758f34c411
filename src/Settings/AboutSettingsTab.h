#pragma once
// The "Über" tab: logo, word mark, what the app does, its version and build,
// a manual update check, whether the screen can be read (and, where the X
// server refuses, why and what to do), links to the web site's pages and the
// way to uninstall. Holds no settings of its own.
#include <QList>
#include <QUrl>
#include <QVariantMap>
#include <QWidget>
#include <functional>

class BundleInfo;
class HoverRowButton;
class PermissionManager;
class QLabel;
class QPushButton;
class SymbolLabel;
class Workspace;

class AboutSettingsTab : public QWidget {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> checkForUpdates;
        std::function<void()> uninstall;
    };
    AboutSettingsTab(PermissionManager& permissions, Workspace& workspace, const BundleInfo& bundle,
                     const QString& websiteRoot, Actions actions, QWidget* parent = nullptr);

    // "2.3 (41)": the short version and the build, each falling back to "1.0"
    // and "1" when the build did not record it as text.
    static QString versionString(const QVariantMap& info);
    // The root the build was configured with (a placeholder address when none).
    static QString configuredWebsiteRoot();
    // Root plus path as an address; the root itself when that does not parse.
    static QUrl linkDestination(const QString& root, const QString& path);

    struct Link {
        QString title; // German, translated where shown
        QString symbolName;
        QString path;
    };
    static const QList<Link>& links();

    QList<HoverRowButton*> linkRows() const { return m_linkRows; }

private:
    void showScreenRecording(bool authorized);

    QLabel* m_version;
    QPushButton* m_update;
    SymbolLabel* m_status;
    QLabel* m_statusHelp;
    QList<HoverRowButton*> m_linkRows;
    QPushButton* m_uninstall;
};
