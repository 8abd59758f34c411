// The About tab: the version line from the build with its fallbacks, the six
// links under the configured root, the screen-recording status and the two
// buttons that hand over to the update check and the uninstaller.
#include "SettingsFixture.h"
#include "Settings/AboutSettingsTab.h"
#include "Ui/HoverRowButton.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QPushButton>

namespace {
std::unique_ptr<AboutSettingsTab> makeTab(SettingsFixture& f, const QString& root = QStringLiteral("https://zentu.example"))
{
    return std::make_unique<AboutSettingsTab>(*f.permissions, f.workspace, f.bundle, root,
                                              AboutSettingsTab::Actions{[&f] { ++f.updateChecks; },
                                                                        [&f] { ++f.uninstallRequests; }});
}
} // namespace

class TestAboutSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void versionLineFallsBackPerValue()
    {
        using Info = QVariantMap;
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", "2.3"}, {"build", "41"}}), QStringLiteral("2.3 (41)"));
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", "2.3"}}), QStringLiteral("2.3 (1)"));
        QCOMPARE(AboutSettingsTab::versionString(Info{}), QStringLiteral("1.0 (1)"));
        // Not text, or empty: as if missing.
        QCOMPARE(AboutSettingsTab::versionString(Info{{"shortVersion", ""}, {"build", 41}}), QStringLiteral("1.0 (1)"));

        SettingsFixture f;
        f.bundle.info = {{"shortVersion", "1.4"}, {"build", "27"}};
        QCOMPARE(makeTab(f)->versionLabel()->text(), QStringLiteral("Version 1.4 (27)"));
        f.localizer->setLanguage(QStringLiteral("ja"));
        QCOMPARE(makeTab(f)->versionLabel()->text(), QStringLiteral("バージョン 1.4 (27)"));
    }

    void linksOpenTheirPagesUnderTheRoot()
    {
        SettingsFixture f;
        auto tab = makeTab(f, QStringLiteral("https://docs.zentu.example"));
        tab->show();
        QStringList titles;
        for (HoverRowButton* row : tab->linkRows()) {
            titles << row->accessibleName();
            row->click();
        }
        QCOMPARE(titles, (QStringList{"Website", "Dokumentation", "Hilfe & FAQ", "Datenschutz", "Impressum", "AGB"}));
        QCOMPARE(f.workspace.openedUrls,
                 (QStringList{"https://docs.zentu.example", "https://docs.zentu.example/docs/index.html",
                              "https://docs.zentu.example/hilfe.html", "https://docs.zentu.example/datenschutz.html",
                              "https://docs.zentu.example/impressum.html", "https://docs.zentu.example/agb.html"}));

        // An address that does not parse goes to the root instead.
        QCOMPARE(AboutSettingsTab::linkDestination(QStringLiteral("https://zentu.example"), QStringLiteral("/a b%zz")),
                 QUrl(QStringLiteral("https://zentu.example")));
        // The build's own root is a placeholder, never a real site.
        QVERIFY(QUrl(AboutSettingsTab::configuredWebsiteRoot()).host().endsWith(QStringLiteral(".example")));
    }

    void statusFollowsScreenRecordingAndButtonsHandOver()
    {
        SettingsFixture f;
        f.capturePermissions.preflight = false;
        f.screens.contentAvailable = false;
        f.permissions->refresh();
        QTRY_VERIFY(!f.permissions->screenRecordingAuthorized());
        auto tab = makeTab(f);
        tab->show();
        SymbolLabel* status = tab->screenRecordingStatus();
        QCOMPARE(status->text(), QStringLiteral("Bildschirmaufnahme wird für Screenshots benötigt."));
        QCOMPARE(status->symbolName(), QStringLiteral("exclamationmark.triangle.fill"));
        QCOMPARE(status->iconColor(), Theme::orange());

        // Permitted while the tab is open: the check mark; the button stays.
        f.capturePermissions.preflight = true;
        f.permissions->refresh();
        QCOMPARE(status->text(), QStringLiteral("Bildschirmaufnahme ist erlaubt."));
        QCOMPARE(status->symbolName(), QStringLiteral("checkmark.circle.fill"));
        QCOMPARE(status->iconColor(), Theme::green());
        QVERIFY(tab->screenRecordingSettingsButton()->isVisible());
        f.capturePermissions.openedURLs.clear();
        tab->screenRecordingSettingsButton()->click();
        QCOMPARE(f.capturePermissions.openedURLs.size(), 1);

        // The update check and the uninstaller (which asks by itself) get the click.
        QCOMPARE(tab->updateButton()->accessibleName(), QStringLiteral("Nach Updates suchen"));
        tab->updateButton()->click();
        QCOMPARE(f.updateChecks, 1);
        QCOMPARE(tab->uninstallButton()->text(), QStringLiteral("Zentu.it deinstallieren…"));
        tab->uninstallButton()->click();
        QCOMPARE(f.uninstallRequests, 1);
        QCOMPARE(f.updateChecks, 1);
    }
};

ZENTU_TEST_MAIN(TestAboutSettings)
#include "tst_aboutsettings.moc"
