#pragma once
// Coordinator services over fakes.
#include "App/CoordinatorServices.h"
#include "Toasts/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Hotkeys/HotkeyManager.h"
#include "Permissions/PermissionManager.h"
#include "Platform/RepaintWatch.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowDetector.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Updates/AppcastUpdater.h"
#include "fakes/FakeActivationPolicy.h"
#include "fakes/FakeAlerts.h"
#include "fakes/FakeApplicationIdentity.h"
#include "fakes/FakeBundleInfo.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeClipboardService.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/FakeGlobalHotkeys.h"
#include "fakes/FakeImageFileDialogs.h"
#include "fakes/FakeHeapTrimmer.h"
#include "fakes/FakeInstallation.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeOverlayDesktop.h"
#include "fakes/FakeWindowRedirector.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeSingleInstance.h"
#include "fakes/FakeTextRecognizer.h"
#include "fakes/FakeUpdateFeed.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWindowDesktops.h"
#include "fakes/FakeWindowServer.h"
#include "fakes/FakeWorkspace.h"
#include "support/IsolatedEnvironment.h"

#include <QStringList>
#include <QTemporaryDir>

class FakeCoordinatorServices final : public CoordinatorServices {
public:
    FakeCoordinatorServices()
    {
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1.0, Qt::gray);
    }

    UserDefaults& userDefaults() override { return defaults; }
    ActivationPolicy& activationPolicy() override { return activation; }
    BundleInfo& bundle() override { return bundleInfo; }
    ClipboardService& clipboard() override { return clipboardService; }
    const AppFolders& folders() override { return appFolders; }
    CapturePermissions& platformPermissions() override { return capturePermissions; }
    Alerts& alerts() override { return alertsFake; }
    ProcessLauncher& launcher() override { return launcherFake; }
    Installation& installation() override { return installationFake; }
    std::shared_ptr<HeapTrimmer> heapTrimmer() override { return heap; }
    SingleInstance& session() override { return sessionFake; }
    LoginItemService& loginItemService() override { return loginItem; }
    Workspace& workspace() override { return workspaceFake; }
    std::unique_ptr<AppcastUpdater> makeUpdater() override
    {
        return std::make_unique<AppcastUpdater>(updateFeed, alertsFake, workspaceFake,
                                                QUrl(QStringLiteral("https://updates.zentu.example/appcast.xml")),
                                                bundleInfo.version());
    }

    ImageFileDialogs& imageFileDialogs() override { return fileDialogs; }
    TextRecognizer& textRecognizer() override { return recognizer; }
    WindowDesktops& windowDesktops() override { return desktops; }
    QString privateTemporaryFolder() override { return privateTemp.path(); }

    std::unique_ptr<SettingsManager> makeSettingsManager() override
    {
        return std::make_unique<SettingsManager>(defaults, loginItem, keyboard);
    }
    std::unique_ptr<PermissionManager> makePermissionManager() override
    {
        return std::make_unique<PermissionManager>(capturePermissions, screens);
    }
    std::unique_ptr<HotkeyManager> makeHotkeyManager() override
    {
        return std::make_unique<HotkeyManager>(globalHotkeys, keyboard);
    }
    std::unique_ptr<ScreenshotService> makeScreenshotService() override
    {
        return std::make_unique<ScreenshotService>(capturer, detector, overlayDesktop, redirector);
    }
    // A scrolling capture on this picker and road when a test sets them
    // (before the coordinator is made).
    std::unique_ptr<ScrollCapture> makeScrollCapture(ScrollCaptureEngine* engine) override
    {
        if (!scrollPicker)
            return CoordinatorServices::makeScrollCapture(engine);
        return std::make_unique<ScrollCapture>(scrollPicker, scrollRoad, scrollPanel);
    }
    std::unique_ptr<ToastPresenter> makeToastPresenter() override
    {
        return std::make_unique<ToastPresenter>();
    }
    // The real desktop's watches where a test hands them in (X11 tests).
    std::unique_ptr<RepaintWatch> makeRepaintWatch() override { return repaintWatch ? repaintWatch() : nullptr; }
    std::shared_ptr<CompositingInfo> compositing() override { return compositingInfo; }
    void ensureDirectories() override
    {
        appFolders.ensureDirectories();
    }
    std::unique_ptr<ClipboardHistoryStore> makeClipboardHistoryStore(SettingsManager& settings) override
    {
        return std::make_unique<ClipboardHistoryStore>(settings, clipboard(), appFolders);
    }
    std::unique_ptr<ScreenshotHistoryStore> makeScreenshotHistoryStore(SettingsManager& settings) override
    {
        return std::make_unique<ScreenshotHistoryStore>(settings, appFolders);
    }
    std::unique_ptr<ClipboardMonitor> makeClipboardMonitor(ClipboardHistoryStore& store,
                                                           SettingsManager& settings) override
    {
        return std::make_unique<ClipboardMonitor>(store, settings, applications, clipboard());
    }

    // The test environment's.
    const AppFolders appFolders = testFolders();
    FakeUserDefaults defaults;
    FakeLoginItemService loginItem;
    FakeKeyboardInfo keyboard;
    FakeActivationPolicy activation;
    // A build of version 0.1.0 whose program file was written at this time.
    FakeBundleInfo bundleInfo = [] {
        FakeBundleInfo b;
        b.info.insert(QString::fromLatin1(BundleInfo::shortVersionKey), QStringLiteral("0.1.0"));
        b.modified = 1700000000;
        return b;
    }();
    FakeCapturePermissions capturePermissions;
    FakeAlerts alertsFake;
    FakeProcessLauncher launcherFake;
    FakeInstallation installationFake;
    std::shared_ptr<FakeHeapTrimmer> heap = std::make_shared<FakeHeapTrimmer>();
    FakeSingleInstance sessionFake;
    FakeWorkspace workspaceFake;
    FakeImageFileDialogs fileDialogs;
    FakeTextRecognizer recognizer;
    FakeWindowDesktops desktops;
    QTemporaryDir privateTemp;
    FakeUpdateFeed updateFeed;
    FakeGlobalHotkeys globalHotkeys;
    FakeScreenSource screens;
    FakeClipboardService clipboardService;
    // Set before the coordinator is made: the system clipboard instead (X11 tests).
    FakeApplicationIdentity applications;
    FakeWindowServer windowServer;
    FakeOverlayDesktop overlayDesktop;
    FakeWindowRedirector redirector;
    ScreenCapturer capturer{screens, windowServer};
    WindowDetector detector{windowServer, screens};
    ScrollCapture::Picker scrollPicker;
    std::shared_ptr<ScrollTargetRoad> scrollRoad;
    std::function<std::unique_ptr<RepaintWatch>()> repaintWatch;
    std::shared_ptr<CompositingInfo> compositingInfo;
    GrabExclusions scrollExclusions{nullptr};
    ScrollProgressHUD scrollPanel{std::make_shared<FakeCompositingInfo>(), {}, scrollExclusions};
};
