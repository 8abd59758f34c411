#pragma once
// The real settings and history stores over fakes of the platform, in the
// test's own temporary folders (IsolatedEnvironment), for the panel tests.
#include "MenuBar/TileHoverModel.h"
#include "MenuBar/TileHoverSync.h"
#include "Permissions/PermissionManager.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Ui/FrameClock.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWorkspace.h"
#include "support/IsolatedEnvironment.h"

#include <QImage>
#include <memory>

struct PanelFixture {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    SettingsManager settings{defaults, login, keyboard};
    FakeClipboardService clipboard;
    std::unique_ptr<ClipboardHistoryStore> clipboardStore;
    std::unique_ptr<ScreenshotHistoryStore> screenshotStore;
    FakeWorkspace workspace;
    FakeCapturePermissions capturePermissions;
    FakeScreenSource screens;
    PermissionManager permissions{capturePermissions, screens};
    // The program-wide pieces of the interface, new for every case.
    FrameClock frameClock;
    TileHoverModel tileHover;
    TileHoverSync tileHoverSync{tileHover};

    // Screen recording refused, and the test capture fails too.
    void denyScreenRecording()
    {
        capturePermissions.preflight = false;
        screens.contentAvailable = false;
        permissions.refresh();
    }

    PanelFixture()
    {
        settings.update([](AppSettings& s) {
            s.maxClipboardItems = 0;
            s.maxScreenshotItems = 0;
        });
        clipboardStore = std::make_unique<ClipboardHistoryStore>(settings, clipboard, testFolders());
        screenshotStore = std::make_unique<ScreenshotHistoryStore>(settings, testFolders());
        // The folders live as long as the test process: start every case empty.
        clipboardStore->clearAll(false);
        screenshotStore->clearAll(false);
    }
    ~PanelFixture() { screenshotStore->waitForPendingWrites(); }

    static QImage picture(int w, int h, QColor color)
    {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }
};
