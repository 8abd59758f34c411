#pragma once
// The settings window's collaborators with fakes: a German translation lookup
// over the test's own defaults, the settings manager, the hotkey manager on a
// recording backend, a scripted folder chooser, a counting beeper, both
// history stores (started empty), the permission manager on fake permissions,
// scripted alerts, a fake owner authenticator, a recording workspace and the
// build's facts.
#include "Hotkeys/HotkeyManager.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Settings/SettingsContext.h"
#include "Platform/SettingsKeys.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeBeeper.h"
#include "fakes/FakeBundleInfo.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeFolderChooser.h"
#include "fakes/FakeGlobalHotkeys.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeOwnerAuthenticator.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWorkspace.h"
#include "support/IsolatedEnvironment.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <memory>
#include <optional>

struct SettingsFixture {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    FakeGlobalHotkeys backend;
    FakeFolderChooser folders;
    FakeBeeper beeper;
    FakeClipboardService clipboard;
    FakeCapturePermissions capturePermissions;
    FakeScreenSource screens;
    FakeAlerts alerts;
    FakeOwnerAuthenticator authenticator;
    FakeWorkspace workspace;
    FakeBundleInfo bundle;
    const AppFolders appFolders = testFolders();
    std::shared_ptr<Localizer> localizer;
    std::optional<Localizer::Scope> installedLocalizer;
    std::unique_ptr<SettingsManager> settings;
    std::unique_ptr<HotkeyManager> hotkeys;
    std::unique_ptr<ClipboardHistoryStore> clipboardStore;
    std::unique_ptr<ScreenshotHistoryStore> screenshotStore;
    std::unique_ptr<PermissionManager> permissions;

    SettingsFixture()
    {
        localizer = std::make_shared<Localizer>(defaults, [] { return QStringList{QStringLiteral("de")}; });
        installedLocalizer.emplace(localizer);
        defaults.setValue(SettingsKeys::launchAtLoginDefaulted, true);
        settings = std::make_unique<SettingsManager>(defaults, login, keyboard);
        hotkeys = std::make_unique<HotkeyManager>(backend, keyboard);
        hotkeys->registerAll(*settings);
        clipboardStore = std::make_unique<ClipboardHistoryStore>(*settings, clipboard, testFolders());
        screenshotStore = std::make_unique<ScreenshotHistoryStore>(*settings, testFolders());
        // The folders live as long as the test process: start every case empty.
        clipboardStore->clearAll(false);
        screenshotStore->clearAll(false);
        permissions = std::make_unique<PermissionManager>(capturePermissions, screens);
    }
    ~SettingsFixture()
    {
        screenshotStore->waitForPendingWrites();
    }

    SettingsContext context()
    {
        SettingsContext c;
        c.settings = settings.get();
        c.hotkeys = hotkeys.get();
        c.localizer = localizer.get();
        c.userDefaults = &defaults;
        c.folderChooser = &folders;
        c.folders = &appFolders;
        c.beeper = &beeper;
        c.clipboardStore = clipboardStore.get();
        c.screenshotStore = screenshotStore.get();
        c.permissions = permissions.get();
        c.alerts = &alerts;
        c.authenticator = &authenticator;
        c.workspace = &workspace;
        c.bundle = &bundle;
        c.websiteRoot = QStringLiteral("https://zentu.example");
        c.checkForUpdates = [this] { ++updateChecks; };
        c.uninstall = [this] { ++uninstallRequests; };
        return c;
    }

    int updateChecks = 0;
    int uninstallRequests = 0;

    // The record as it was last written.
    AppSettings stored() const
    {
        return AppSettings::decode(defaults.value(SettingsKeys::settings).toByteArray()).value_or(AppSettings{});
    }
};

// A key press as the X11 platform delivers it: X keycode (evdev + 8) as the
// native scan code, the X state mask as native modifiers.
inline void pressKey(QWidget* target, Qt::Key key, quint32 x11Keycode, Qt::KeyboardModifiers modifiers = {},
                     quint32 xState = 0)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, x11Keycode, 0, xState);
    QCoreApplication::sendEvent(target, &press);
}

// X keycodes of the keys the tests press.
namespace XKey {
constexpr quint32 escape = 9, nine = 18, a = 38, seven = 16, tab = 23, shiftL = 50, superL = 133;
}
