// The Privacy tab: the sensitive-content filter goes off only after the
// owner's password (also when the tab was rebuilt meanwhile), the permission
// rows follow the permission state and ask for what is missing, and deleting
// everything asks first and then clears both histories.
#include "SettingsFixture.h"
#include "Settings/PermissionRow.h"
#include "Settings/PrivacySettingsTab.h"
#include "Settings/SettingsView.h"
#include "Ui/SymbolLabel.h"
#include "Ui/Theme.h"
#include "Ui/ToggleSwitch.h"
#include "support/IsolatedEnvironment.h"

#include <QPointer>
#include <QPushButton>

namespace {
PrivacySettingsTab* makeTab(SettingsFixture& f)
{
    return new PrivacySettingsTab({*f.settings, *f.permissions, *f.clipboardStore, *f.screenshotStore, f.alerts,
                                   f.authenticator, f.beeper});
}
} // namespace

class TestPrivacySettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sensitiveFilterGoesOffOnlyWithThePassword()
    {
        SettingsFixture f;
        std::unique_ptr<PrivacySettingsTab> tab(makeTab(f));
        tab->show();
        ToggleSwitch* toggle = tab->sensitiveToggle();
        QVERIFY(toggle->isChecked());
        QCOMPARE(toggle->accessibleName(), QStringLiteral("Als sensibel markierte Inhalte ignorieren"));

        // Off asks, and stays on while the answer is open.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(f.authenticator.prompts.size(), 1);
        const OwnerAuthenticator::Prompt prompt = f.authenticator.prompts.first();
        QCOMPARE(prompt.reason, QStringLiteral("Schutz für sensible Inhalte deaktivieren"));
        QCOMPARE(prompt.confirmTitle, QStringLiteral("Passwort verwenden"));
        QCOMPARE(prompt.cancelTitle, QStringLiteral("Abbrechen"));
        QVERIFY(toggle->isChecked());
        QCOMPARE(f.stored().ignoreSensitiveContent, true);

        // A wrong password or a cancel: still on, nothing shown.
        f.authenticator.answer(false);
        QVERIFY(toggle->isChecked());
        QCOMPARE(f.settings->settings().ignoreSensitiveContent, true);
        QCOMPARE(f.alerts.shown.size(), 0);

        // The right password: off, stored.
        QTest::mouseClick(toggle, Qt::LeftButton);
        f.authenticator.answer(true);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(f.stored().ignoreSensitiveContent, false);

        // On again needs nothing.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QCOMPARE(f.stored().ignoreSensitiveContent, true);
        QCOMPARE(f.authenticator.prompts.size(), 2);

        // No check possible: one beep, still on.
        f.authenticator.available = false;
        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(f.beeper.beeps, 1);
        QCOMPARE(f.authenticator.prompts.size(), 2);
        QVERIFY(toggle->isChecked());
    }

    void answerAfterTheTabWasRebuiltStillCounts()
    {
        SettingsFixture f;
        SettingsView view(f.context());
        view.show();
        view.selectTab(SettingsTab::privacy);
        QPointer<PrivacySettingsTab> first = qobject_cast<PrivacySettingsTab*>(view.tabView());
        QVERIFY(first);
        QTest::mouseClick(first->sensitiveToggle(), Qt::LeftButton);
        QCOMPARE(f.authenticator.pending.size(), 1);

        // A language change makes the tab anew while the password is asked for.
        f.localizer->setLanguage(QStringLiteral("en"));
        QTRY_VERIFY(first.isNull());
        auto* rebuilt = qobject_cast<PrivacySettingsTab*>(view.tabView());
        QVERIFY(rebuilt);
        QVERIFY(rebuilt->sensitiveToggle()->isChecked());
        f.authenticator.answer(true);
        QCOMPARE(f.stored().ignoreSensitiveContent, false);
        QVERIFY(!rebuilt->sensitiveToggle()->isChecked());

        // A tab gone for good: the answer is stored all the same.
        f.settings->update([](AppSettings& s) { s.ignoreSensitiveContent = true; });
        {
            std::unique_ptr<PrivacySettingsTab> tab(makeTab(f));
            QTest::mouseClick(tab->sensitiveToggle(), Qt::LeftButton);
        }
        f.authenticator.answer(true);
        QCOMPARE(f.stored().ignoreSensitiveContent, false);
    }

    void permissionRowsFollowTheStateAndAskForWhatIsMissing()
    {
        SettingsFixture f;
        const int readsBefore = f.capturePermissions.preflightCalls;
        std::unique_ptr<PrivacySettingsTab> tab(makeTab(f));
        tab->show();
        // Showing the tab reads the permissions again.
        QCOMPARE(f.capturePermissions.preflightCalls, readsBefore + 1);
        PermissionRow* screen = tab->screenRecordingRow();
        PermissionRow* access = tab->accessibilityRow();
        QVERIFY(screen->grantedLabel()->isVisible() && !screen->activateButton()->isVisible());
        QCOMPARE(screen->grantedLabel()->text(), QStringLiteral("Erlaubt"));
        QCOMPARE(screen->iconColor(), Theme::green());

        // Accessibility missing: its row offers "Aktivieren", which only asks.
        f.capturePermissions.trusted = false;
        f.permissions->refresh();
        QVERIFY(screen->grantedLabel()->isVisible());
        QVERIFY(access->activateButton()->isVisible() && !access->grantedLabel()->isVisible());
        QCOMPARE(access->iconColor(), Theme::orange());
        QCOMPARE(access->activateButton()->accessibleName(), QStringLiteral("Aktivieren"));
        QCOMPARE(access->activateButton()->accessibleDescription(), QStringLiteral("Bedienungshilfen"));
        access->activateButton()->click();
        QCOMPARE(f.capturePermissions.prompts, 1);
        QCOMPARE(f.capturePermissions.requestCalls, 0);

        // Screen recording missing: asks the system and opens its settings page.
        f.capturePermissions.preflight = false;
        f.screens.contentAvailable = false;
        f.permissions->refresh();
        QTRY_VERIFY(screen->activateButton()->isVisible());
        f.capturePermissions.openedURLs.clear();
        screen->activateButton()->click();
        QCOMPARE(f.capturePermissions.requestCalls, 1);
        QCOMPARE(f.capturePermissions.openedURLs.size(), 1);
        QVERIFY(f.capturePermissions.openedURLs.first().contains(QStringLiteral("Privacy_ScreenCapture")));

        // Granted in the system meanwhile: "Erlaubt" once the tab is shown again.
        f.capturePermissions.preflight = true;
        f.capturePermissions.trusted = true;
        std::unique_ptr<PrivacySettingsTab> again(makeTab(f));
        again->show();
        QVERIFY(again->screenRecordingRow()->isGranted() && again->accessibilityRow()->isGranted());
    }

    void deleteAllAsksThenClearsBothHistories()
    {
        SettingsFixture f;
        std::unique_ptr<PrivacySettingsTab> tab(makeTab(f));
        f.clipboardStore->addText(QStringLiteral("eins"), std::nullopt);
        f.clipboardStore->toggleFavorite(f.clipboardStore->items().first());
        QImage image(30, 20, QImage::Format_ARGB32);
        image.fill(Qt::green);
        f.screenshotStore->toggleFavorite(f.screenshotStore->add(image, CaptureKind::fullScreen));
        QStringList order;
        connect(f.clipboardStore.get(), &ClipboardHistoryStore::itemsChanged, this, [&] { order << "clipboard"; });
        connect(f.screenshotStore.get(), &ScreenshotHistoryStore::itemsChanged, this, [&] { order << "screenshots"; });

        f.alerts.answers = {1};
        tab->deleteAllButton()->click();
        QCOMPARE(f.clipboardStore->items().size(), 1);
        QCOMPARE(f.screenshotStore->items().size(), 1);
        const Alerts::Alert& asked = f.alerts.shown.first();
        QCOMPARE(asked.message, QStringLiteral("Gesamten Verlauf wirklich löschen?"));
        QCOMPARE(asked.informativeText,
                 QStringLiteral("Zwischenablage- und Screenshot-Verlauf inklusive Favoriten werden entfernt."));
        QCOMPARE(asked.buttons, (QStringList{"Alles löschen", "Abbrechen"}));

        f.alerts.answers = {0};
        tab->deleteAllButton()->click();
        QVERIFY(f.clipboardStore->items().isEmpty());
        QVERIFY(f.screenshotStore->items().isEmpty());
        QCOMPARE(order, (QStringList{"clipboard", "screenshots"}));
    }
};

ZENTU_TEST_MAIN(TestPrivacySettings)
#include "tst_privacysettings.moc"
