#include "Settings/SettingsManager.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeUserDefaults.h"
#include "support/IsolatedEnvironment.h"

#include <QJsonDocument>
#include <QSignalSpy>

class TestSettingsManager : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartRegistersLoginItem()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        SettingsManager manager(defaults, login, keyboard);
        QCOMPARE(login.registerCalls, 1);
        QVERIFY(manager.settings().launchAtLogin);
        QVERIFY(defaults.boolValue(SettingsManager::launchDefaultedKey));
        const auto stored = AppSettings::decode(defaults.value(SettingsManager::settingsKey).toByteArray());
        QVERIFY(stored && stored->launchAtLogin);
    }

    void laterStartFollowsTheSystem()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        { SettingsManager first(defaults, login, keyboard); }
        login.enabled = false; // the user removed the autostart entry
        SettingsManager second(defaults, login, keyboard);
        QCOMPARE(login.registerCalls, 1);
        QVERIFY(!second.settings().launchAtLogin);
        QVERIFY(!AppSettings::decode(defaults.value(SettingsManager::settingsKey).toByteArray())->launchAtLogin);
    }

    void unreadableRecordIsKeptAside()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        AppSettings mine;
        mine.maxClipboardItems = 7;
        QJsonObject o = mine.toJson();
        o.remove("imageFormat");
        const QByteArray old = QJsonDocument(o).toJson(QJsonDocument::Compact);
        defaults.setValue(SettingsManager::settingsKey, old);
        defaults.setValue(SettingsManager::launchDefaultedKey, true);
        SettingsManager manager(defaults, login, keyboard);
        QCOMPARE(manager.settings().maxClipboardItems, 200);
        QCOMPARE(defaults.value(SettingsManager::unreadableKey).toByteArray(), old);
        QCOMPARE(AppSettings::decode(defaults.value(SettingsManager::settingsKey).toByteArray())->maxClipboardItems, 200);
    }

    void everyChangeIsAnnouncedThenPersisted()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        login.enabled = true;
        FakeKeyboardInfo keyboard;
        SettingsManager manager(defaults, login, keyboard);
        QSignalSpy changed(&manager, &SettingsManager::settingsChanged);
        const int writes = defaults.writes;
        manager.update([](AppSettings& s) { s.stampTimestamp = true; });
        QCOMPARE(changed.count(), 1);
        QCOMPARE(defaults.writes, writes + 1);
        QVERIFY(AppSettings::decode(defaults.value(SettingsManager::settingsKey).toByteArray())->stampTimestamp);
    }

    void hotkeysAndDefaults()
    {
        FakeUserDefaults defaults;
        FakeLoginItemService login;
        FakeKeyboardInfo keyboard;
        SettingsManager manager(defaults, login, keyboard);
        QCOMPARE(manager.hotkey(HotkeyAction::captureArea), (HotkeyCombo{19, 0x300}));
        keyboard.iso = true;
        QCOMPARE(manager.hotkey(HotkeyAction::captureArea), (HotkeyCombo{10, 0x300}));
        QCOMPARE(manager.hotkey(HotkeyAction::captureFullScreen), (HotkeyCombo{22, 0x300}));
        QCOMPARE(manager.hotkey(HotkeyAction::captureWindow), (HotkeyCombo{26, 0x300}));
        QCOMPARE(manager.hotkey(HotkeyAction::openClipboard), (HotkeyCombo{9, 0x300}));
        QCOMPARE(manager.hotkey(HotkeyAction::openClipboard).displayString(), QStringLiteral("Super+Shift+V"));

        manager.setHotkey({0, 0x1000}, HotkeyAction::captureFullScreen);
        QCOMPARE(manager.hotkey(HotkeyAction::captureFullScreen), (HotkeyCombo{0, 0x1000}));
        QVERIFY(AppSettings::decode(defaults.value(SettingsManager::settingsKey).toByteArray())->hotkeys.contains("captureFullScreen"));
        manager.resetHotkey(HotkeyAction::captureFullScreen);
        manager.resetHotkey(HotkeyAction::captureFullScreen);
        QVERIFY(manager.settings().hotkeys.isEmpty());
        QCOMPARE(manager.hotkey(HotkeyAction::captureFullScreen), (HotkeyCombo{22, 0x300}));
    }

    void loginItemSwitch()
    {
        FakeUserDefaults defaults;
        defaults.setValue(SettingsManager::launchDefaultedKey, true);
        FakeLoginItemService login;
        login.enabled = true;
        FakeKeyboardInfo keyboard;
        SettingsManager manager(defaults, login, keyboard);
        manager.setLaunchAtLogin(true); // already enabled: nothing to do
        QCOMPARE(login.registerCalls + login.unregisterCalls, 0);
        manager.setLaunchAtLogin(false);
        QCOMPARE(login.unregisterCalls, 1);
        QVERIFY(!login.enabled && !manager.settings().launchAtLogin);

        // A refused change shows what the system really has.
        login.failing = true;
        manager.setLaunchAtLogin(true);
        QCOMPARE(login.registerCalls, 1);
        QVERIFY(!manager.settings().launchAtLogin);
    }
};

ZENTU_TEST_MAIN(TestSettingsManager)
#include "tst_settingsmanager.moc"
