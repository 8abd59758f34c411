#include "Localization/Localizer.h"
#include "MenuBar/CaptureButton.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/MenuBarContentView.h"
#include "MenuBar/ModeSwapCaptureButton.h"
#include "MenuBar/ScreenshotPreviewRow.h"
#include "MenuBar/SectionHeader.h"
#include "PanelFixture.h"
#include "Storage/Storage.h"
#include "Ui/HoverRowButton.h"
#include "fakes/FakeMenuBarActions.h"
#include "support/IsolatedEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

class TestMenuBarPanel : public QObject {
    Q_OBJECT

    static QStringList sectionTitles(QWidget* panel)
    {
        QStringList titles;
        for (SectionHeader* h : panel->findChildren<SectionHeader*>())
            if (h->isVisibleTo(panel))
                titles << h->text();
        return titles;
    }

private Q_SLOTS:
    void layoutFollowsTheStores()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.show();
        QCOMPARE(panel.width(), 340);
        // Screen recording permitted: no banner, the cards come first.
        QVERIFY(!panel.permissionBanner()->isVisible());
        QVERIFY(panel.captureActions()->isVisible());
        // Empty histories: no recent section at all, the clipboard still titled.
        QVERIFY(!panel.recentScreenshots()->isVisible());
        QCOMPARE(sectionTitles(&panel), QStringList{QStringLiteral("ZWISCHENABLAGE")});
        QVERIFY(panel.allButton()->isVisible());
        QCOMPARE(panel.clipboardList()->height(), 70);
        QVERIFY(panel.clipboardList()->isEmptyStateShown());
        QVERIFY(!panel.clipboardList()->isSearchBlockShown());

        f.denyScreenRecording();
        QVERIFY(panel.permissionBanner()->isVisible());
        QVERIFY(panel.permissionBanner()->y() < panel.captureActions()->y());

        f.screenshotStore->add(PanelFixture::picture(40, 30, Qt::red), CaptureKind::area);
        QVERIFY(panel.recentScreenshots()->isVisible());
        QCOMPARE(panel.tiles().size(), 1);
        QCOMPARE(sectionTitles(&panel), (QStringList{QStringLiteral("LETZTE SCREENSHOTS"), QStringLiteral("ZWISCHENABLAGE")}));

        f.clipboardStore->addText(QStringLiteral("hallo"), std::nullopt);
        QCOMPARE(panel.clipboardList()->height(), 240);
        QCOMPARE(panel.clipboardList()->rows().size(), 1);
        QCOMPARE(panel.width(), 340);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            panel.grab().save(QStringLiteral("/tmp/panel-headless.png"));
    }

    void showsTheTwelveNewestTiles()
    {
        PanelFixture f;
        QDateTime t = QDateTime::currentDateTimeUtc();
        f.screenshotStore->setClock([&t] { return t = t.addSecs(1); });
        QList<ScreenshotItem> added;
        for (int i = 0; i < 13; ++i)
            added << f.screenshotStore->add(PanelFixture::picture(20, 20, QColor(i * 10, 0, 0)), CaptureKind::fullScreen);
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.show();
        const auto tiles = panel.tiles();
        QCOMPARE(tiles.size(), 12);
        QCOMPARE(tiles.first()->item().id, added.last().id);
        QCOMPARE(tiles.last()->item().id, added.at(1).id);
        QCOMPARE(tiles.first()->size(), QSize(96, 70));
        // Removing the newest brings the oldest into the strip.
        f.screenshotStore->remove(added.last());
        QCOMPARE(panel.tiles().size(), 12);
        QCOMPARE(panel.tiles().last()->item().id, added.first().id);
    }

    void cardsCloseThePanelBeforeTheCapture()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.setDismiss(rec.dismiss());
        panel.show();
        rec.calls.clear();
        const auto cards = panel.captureCards();
        QCOMPARE(cards.size(), 3);
        for (auto* card : cards)
            QTest::mouseClick(card, Qt::LeftButton);
        QCOMPARE(rec.calls, (QStringList{"dismiss", "captureInteractive", "dismiss", "captureFullScreen", "dismiss",
                                         "captureScrollingWindow"}));
        // The other buttons act without closing the panel.
        rec.calls.clear();
        QTest::mouseClick(panel.settingsButton(), Qt::LeftButton);
        QTest::mouseClick(panel.quitButton(), Qt::LeftButton);
        QTest::mouseClick(panel.allButton(), Qt::LeftButton);
        f.denyScreenRecording();
        QTest::mouseClick(panel.bannerButton(), Qt::LeftButton);
        QCOMPARE(rec.calls, (QStringList{"openSettings", "quit", "showClipboardHistory"}));
        QCOMPARE(f.capturePermissions.openedURLs.size(), 1);
        QVERIFY(panel.isVisible());
        f.screenshotStore->add(PanelFixture::picture(20, 20, Qt::blue), CaptureKind::area);
        QTest::mouseClick(panel.folderButton(), Qt::LeftButton);
        QCOMPARE(f.workspace.openedFolders, QStringList{testFolders().screenshotsDirectory()});
    }

    void defaultDismissHidesTheWindow()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        QWidget popup;
        auto* panel = new MenuBarContentView(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace,
                                             rec.actions(), nullptr, &popup);
        popup.show();
        QTest::mouseClick(panel->captureCards().at(1), Qt::LeftButton);
        QVERIFY(!popup.isVisible());
        QCOMPARE(rec.calls.last(), QStringLiteral("captureFullScreen"));
    }

    void refreshesPermissionsOnEveryAppearance()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        // Refused while the panel was closed; granted again by the time it opens.
        f.denyScreenRecording();
        QTRY_VERIFY(f.screens.contentRequests > 0);
        f.capturePermissions.preflight = true;
        const int before = f.capturePermissions.preflightCalls;
        panel.show();
        QCOMPARE(f.capturePermissions.preflightCalls, before + 1);
        QVERIFY(!panel.permissionBanner()->isVisible());
        panel.hide();
        panel.show();
        QCOMPARE(f.capturePermissions.preflightCalls, before + 2);
    }

    void hintsFollowTheHotkeySettings()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        const auto cards = panel.captureCards();
        QCOMPARE(cards.at(0)->hotkey(), f.settings.hotkey(HotkeyAction::captureArea).displayString());
        QCOMPARE(cards.at(1)->hotkey(), QStringLiteral("Super+Shift+6"));
        QCOMPARE(cards.at(2)->hotkey(), QStringLiteral("Super+Shift+7"));
        f.settings.setHotkey(HotkeyCombo{0, HotkeyCombo::control | HotkeyCombo::option}, HotkeyAction::captureFullScreen);
        QCOMPARE(cards.at(1)->hotkey(), QStringLiteral("Ctrl+Alt+A"));
    }

    void languageChangeRebuildsThePanel()
    {
        PanelFixture f;
        FakeMenuBarActions rec;
        MenuBarContentView panel(f.settings, *f.clipboardStore, *f.screenshotStore, &f.permissions, f.workspace, rec.actions());
        panel.show();
        QPointer<HoverCardButton> before = panel.captureCards().at(1);
        const QString markBefore = panel.wordMark()->text();
        QSignalSpy rebuilt(&panel, &MenuBarContentView::rebuilt);
        Localizer::shared().setLanguage(QStringLiteral("en"));
        QCOMPARE(rebuilt.count(), 1);
        QVERIFY(panel.captureCards().at(1) != before.data());
        auto* full = static_cast<CaptureButton*>(panel.captureCards().at(1));
        QCOMPARE(full->title(), Localizer::t(QStringLiteral("Bildschirm")));
        QCOMPARE(panel.settingsButton()->text(), Localizer::t(QStringLiteral("Einstellungen")));
        QCOMPARE(sectionTitles(&panel), QStringList{Localizer::t(QStringLiteral("Zwischenablage")).toUpper()});
        // The brand word mark is never translated.
        QCOMPARE(panel.wordMark()->text(), markBefore);
        QCOMPARE(panel.width(), 340);
        Localizer::shared().setLanguage(QStringLiteral("de"));
    }
};

ZENTU_TEST_MAIN(TestMenuBarPanel)
#include "tst_menubarpanel.moc"
