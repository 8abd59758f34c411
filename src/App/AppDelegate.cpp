#include "App/AppDelegate.h"

#include "App/AppCoordinator.h"
#include "App/SelfInstall.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Hotkeys/HotkeyManager.h"
#include "Platform/ActivationPolicy.h"
#include "Storage/AppFolders.h"

AppDelegate::AppDelegate(const AppPlatform& platform, CaptureBackends& backends, WindowContents* contents,
                         QObject* parent)
    : QObject(parent)
    , m_activation(platform.activationPolicy)
    , m_folders(platform.folders)
{
    // The coordinator loads settings and histories before the launch restarts the log.
    DebugLog::keepEntriesForLaunch();
    m_coordinator = std::make_unique<AppCoordinator>(platform, backends, contents);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching()
{
    // 1. Started from a download, the app may install itself and hand over to
    // the installed copy; this process then ends without launching.
    if (m_coordinator->selfInstall().moveToApplicationsIfNeeded() == SelfInstall::Outcome::handedOver)
        return;
    // 2. Tray only: no taskbar entry while idle.
    m_activation.setPolicy(ActivationPolicy::Policy::accessory);
    // 3.
    m_folders.ensureDirectories();
    // 4. A fresh log for this run; a failed write is ignored.
    DebugLog::restart();
    // 5.
    DebugLog::write(QStringLiteral("App gestartet"));
    // What settings and stores reported while loading, before the restart.
    DebugLog::writeEarlierEntries();
    // 6.
    m_coordinator->start();
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    // Editors write their annotations back when they close; quitting with an
    // editor open must not lose them.
    m_coordinator->closeEditorWindows();
    // 1.
    m_coordinator->clipboardMonitor().stop();
    // 2.
    m_coordinator->hotkeys().unregisterAll();
}
