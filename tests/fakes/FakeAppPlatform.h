#pragma once
// The coordinator's platform over fakes, and its capture machinery on them.
#include "App/AppPlatform.h"
#include "App/CaptureBackends.h"
#include "Platform/RepaintWatch.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowDetector.h"
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

class FakeAppPlatform final : public CaptureBackends {
public:
    FakeAppPlatform()
    {
        screens.addScreen(1, QRectF(0, 0, 800, 600), 1.0, Qt::gray);
    }

    AppPlatform platform()
    {
        return AppPlatform{defaults,
                           activation,
                           bundleInfo,
                           clipboardService,
                           appFolders,
                           applications,
                           keyboard,
                           globalHotkeys,
                           screens,
                           capturePermissions,
                           alertsFake,
                           launcherFake,
                           installationFake,
                           sessionFake,
                           loginItem,
                           workspaceFake,
                           updateFeed,
                           QUrl(QStringLiteral("https://updates.zentu.example/appcast.xml")),
                           fileDialogs,
                           recognizer,
                           desktops,
                           privateTemp.path(),
                           heap,
                           compositingInfo};
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
            return CaptureBackends::makeScrollCapture(engine);
        return std::make_unique<ScrollCapture>(scrollPicker, scrollRoad, scrollPanel);
    }
    // The real desktop's watches where a test hands them in (X11 tests).
    std::unique_ptr<RepaintWatch> makeRepaintWatch() override { return repaintWatch ? repaintWatch() : nullptr; }

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
