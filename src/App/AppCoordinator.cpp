#include "App/AppCoordinator.h"

#include "App/CaptureFlows.h"
#include "App/CaptureStage.h"
#include "App/DeferredImageCopy.h"
#include "App/DesktopScrollCaptureSteps.h"
#include "App/FirstRun.h"
#include "App/CaptureBackends.h"
#include "App/PermissionGuards.h"
#include "App/PinnedImages.h"
#include "App/ResultActions.h"
#include "App/SelfInstall.h"
#include "App/Uninstaller.h"
#include "App/WindowContents.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "App/ScrollCaptureEngine.h"
#include "App/ScrollCaptureFlow.h"
#include "Toasts/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Editor/EditorResults.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "Editor/OCRService.h"
#include "Hotkeys/HotkeyManager.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Platform/ActivationPolicy.h"
#include "Platform/BundleInfo.h"
#include "Platform/ClipboardService.h"
#include "Platform/UserDefaults.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/ScrollCapture.h"
#include "Storage/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/ShareFolder.h"
#include "Storage/StorageHealth.h"
#include "Storage/AppFolders.h"
#include "Updates/AppcastUpdater.h"
#include "Ui/TransientUi.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>


AppCoordinator::AppCoordinator(AppPlatform platform, CaptureBackends& backends, WindowContents* contents,
                               QObject* parent)
    : QObject(parent)
    , m_platform(std::move(platform))
    , m_backends(backends)
    , m_contents(contents)
{
    // 1. Settings first: everything below reads them.
    m_settings = std::make_unique<SettingsManager>(m_platform.userDefaults, m_platform.loginItem, m_platform.keyboard);
    // 2. The permission manager starts its own 2 s poll.
    m_permissions = std::make_unique<PermissionManager>(m_platform.capturePermissions, m_platform.screens);
    // 3. No action callback yet, nothing registered.
    m_hotkeys = std::make_unique<HotkeyManager>(m_platform.globalHotkeys, m_platform.keyboard);
    // 4. Screenshot service with its own capturer and window detector.
    m_screenshotService = m_backends.makeScreenshotService();
    // 5. The toast presenter, without a panel until the first toast.
    m_toast = std::make_unique<ToastPresenter>();
    // 6. The update check, started at once: it checks on its own schedule.
    m_updater = std::make_unique<AppcastUpdater>(m_platform.updateFeed, m_platform.alerts, m_platform.workspace,
                                                 m_platform.updateFeedUrl, m_platform.bundle.version());
    m_updater->start();
    // 7. No windows yet.
    m_windows = std::make_unique<AppWindows>(m_platform.activationPolicy, m_platform.windowDesktops,
                                             m_platform.heapTrimmer);
    // 8. The storage folders exist before any store is made.
    m_platform.folders.ensureDirectories();
    // 9.
    m_clipboardStore = std::make_unique<ClipboardHistoryStore>(*m_settings, m_platform.clipboard, m_platform.folders);
    // 10. Made with its history read from disk.
    m_screenshotStore = std::make_unique<ScreenshotHistoryStore>(*m_settings, m_platform.folders);
    // 11. Not polling until start().
    m_clipboardMonitor = std::make_unique<ClipboardMonitor>(*m_clipboardStore, *m_settings, m_platform.applications,
                                                            m_platform.clipboard);
    // 12. The store's own copies must not come back as new history entries.
    // (What the coordinator owns calls back only while it lives.)
    m_clipboardStore->onInternalWrite = [this](const ClipboardWrite& write) { m_clipboardMonitor->ownWrite(write); };
    // 13.
    m_hotkeys->onAction = [this](HotkeyAction action) { handle(action); };
    watchStorage();
    buildCaptureRoads();

    // Where the editor's results go. The app's copies name the app itself as their source.
    const QString appID = QGuiApplication::desktopFileName();
    m_results = std::make_unique<ResultActions>(
        ResultActions::Services{m_platform.clipboard, *m_clipboardMonitor, *m_clipboardStore, *m_settings,
                                m_platform.imageFileDialogs, m_platform.alerts, m_platform.folders},
        appID.isEmpty() ? std::nullopt : std::optional(appID));
    m_ocr = std::make_unique<OCRService>(m_platform.textRecognizer);
    m_shareFolder = std::make_unique<ShareFolder>(m_platform.privateTemporaryFolder);
    m_pinned = std::make_unique<PinnedImages>(m_platform.windowDesktops, m_platform.compositing);

    // The scrolling capture (its engine is static; the flow is ours).
    m_scrollEngine = m_backends.makeScrollCaptureEngine();
    m_scrollCapture = m_backends.makeScrollCapture(m_scrollEngine.get());
    m_scrollSteps = std::make_unique<DesktopScrollCaptureSteps>(*m_windows, *m_pinned, *m_introPresenter,
                                                                *m_captureFlows, *m_guards, m_scrollCapture.get());
    m_scrollFlow = std::make_unique<ScrollCaptureFlow>(*m_scrollSteps, *m_toast);

    // Installing for the user (the delegate's first launch step) and uninstalling.
    m_selfInstall = std::make_unique<SelfInstall>(m_platform.alerts, m_platform.launcher, m_platform.installation,
                                                  m_platform.session, m_platform.folders.paths());
    m_uninstaller = std::make_unique<Uninstaller>(
        Uninstaller::Services{m_platform.alerts, m_platform.loginItem, m_platform.userDefaults,
                              m_platform.installation, m_platform.launcher, m_platform.folders,
                              [this] { return m_platform.folders.exportDirectory(m_settings->settings()); }},
        [this] { stopActivity(); });

    m_firstRun = std::make_unique<FirstRun>(m_platform.userDefaults, *m_permissions, m_platform.bundle, *m_windows);
    connect(m_firstRun.get(), &FirstRun::windowWanted, this, &AppCoordinator::openOnboarding);
    connect(m_firstRun.get(), &FirstRun::checked, this, &AppCoordinator::onboardingChecked);
}

AppCoordinator::~AppCoordinator()
{
    if (m_clipboardStore)
        m_clipboardStore->onInternalWrite = nullptr;
}

AppEnvironment AppCoordinator::environment()
{
    AppEnvironment env;
    env.settings = m_settings.get();
    env.clipboardStore = m_clipboardStore.get();
    env.screenshotStore = m_screenshotStore.get();
    env.permissions = m_permissions.get();
    return env;
}

AppEditorEnvironment::Services AppCoordinator::editorServices()
{
    return {*m_screenshotStore,        *m_results,         *m_pinned,
            *m_ocr,                    *m_shareFolder,     m_platform.clipboard,
            m_platform.imageFileDialogs, m_platform.folders, m_platform.workspace,
            m_platform.launcher};
}

void AppCoordinator::start()
{
    // 1.
    m_firstRun->resetIntrosAfterReinstall();
    // 2.
    m_permissions->refresh();
    // 3. The first-run check, 1.2 s later, unless the first run was completed.
    m_firstRun->scheduleCheck();
    // 4.
    m_guards->requestScreenRecordingIfPending();
    // Pictures shared in an earlier run are gone.
    m_shareFolder->clear();
    // 5.
    m_clipboardMonitor->start();
    // 6.
    m_hotkeys->registerAll(*m_settings);
    // 7.
    m_windows->updateActivationPolicy();
    // 8. Retitle the open windows on every language change, and once now.
    m_windows->followLanguage();
}

void AppCoordinator::handle(HotkeyAction action)
{
    switch (action) {
    case HotkeyAction::captureArea:
        captureInteractive();
        break;
    case HotkeyAction::captureFullScreen:
        captureFullScreen();
        break;
    case HotkeyAction::captureWindow:
        captureScrollingWindow();
        break;
    case HotkeyAction::openClipboard:
        showClipboardHistory();
        break;
    }
}

void AppCoordinator::checkForUpdates()
{
    // A second request while the first one's answer is pending joins it (one
    // answer, within the feed's deadline) and says so, instead of seeming to
    // do nothing.
    const bool alreadyAsked = m_updater->isUserWaiting();
    m_updater->checkForUpdates();
    if (alreadyAsked)
        m_toast->show(Localizer::t(QStringLiteral("Die Suche nach Updates läuft bereits – das Ergebnis folgt gleich.")),
                      QStringLiteral("timer"), false, 2.5);
}

void AppCoordinator::confirmAndUninstall()
{
    m_uninstaller->confirmAndRun();
}

void AppCoordinator::stopActivity()
{
    // Editors write their annotations back as they close: before the removal.
    closeEditorWindows();
    m_clipboardMonitor->stop();
    // The histories are written in the background: on disk before the removal,
    // so no late write brings the folder back.
    m_screenshotStore->waitForPendingWrites();
    m_clipboardStore->waitForPendingWrites();
    m_hotkeys->unregisterAll();
    if (QTimer* poll = m_permissions->pollTimer())
        poll->stop();
    m_firstRun->stop();
    m_updater->stop();
}

void AppCoordinator::captureScrollingWindow()
{
    // The picker's frozen view and the frames never show our tooltips or menus.
    m_transientUi->dismiss();
    m_scrollFlow->captureScrollingWindow();
}

// ---- windows -------------------------------------------------------------

void AppCoordinator::showClipboardHistory()
{
    QWidget* panel = m_windows->window(AppWindows::Single::clipboardHistory);
    if (!panel) {
        m_windows->open(AppWindows::Single::clipboardHistory, m_contents ? m_contents->clipboardHistoryView(environment()) : nullptr);
        return;
    }
    // The hotkey toggles the window the user sees: one left on another
    // workspace, or minimised, comes here instead.
    if (m_windows->isSeen(panel)) {
        panel->close();
        return;
    }
    m_windows->present(panel);
}

void AppCoordinator::openSettings()
{
    if (QWidget* window = settingsWindow()) {
        m_windows->present(window);
        return;
    }
    m_windows->open(AppWindows::Single::settings, m_contents ? m_contents->settingsView(environment()) : nullptr);
}

void AppCoordinator::openOnboarding()
{
    if (QWidget* window = onboardingWindow()) {
        m_windows->present(window);
        return;
    }
    QPointer<AppCoordinator> self(this);
    auto onClose = [self] {
        if (self)
            self->finishOnboarding();
    };
    auto onHeightChange = [self](double height) {
        if (self)
            self->fitOnboarding(height);
    };
    QWidget* content = m_contents ? m_contents->onboardingView(environment(), onClose, onHeightChange) : nullptr;
    m_windows->open(AppWindows::Single::onboarding, content);
}

void AppCoordinator::finishOnboarding() { m_firstRun->finish(); }
void AppCoordinator::fitOnboarding(double measuredHeight) { m_firstRun->fit(measuredHeight); }
void AppCoordinator::adoptEditorWindow(std::unique_ptr<QWidget> window) { m_windows->adoptEditor(std::move(window)); }
void AppCoordinator::closeEditorWindows() { m_windows->closeEditors(); }

void AppCoordinator::persistOpenEditors()
{
    for (const auto& window : editorWindows())
        if (auto* editor = qobject_cast<EditorWindowController*>(window.get()))
            editor->session().results().persistAnnotations();
    m_screenshotStore->waitForPendingWrites();
    DebugLog::write(QStringLiteral("APP Verbindung zum X-Server verloren: Anmerkungen offener Editoren gesichert"));
}

void AppCoordinator::watchStorage()
{
    // A write that fails is said once per episode and tried again until the
    // disk takes it; a picture the user asked for that cannot be opened is said.
    m_storageHealth = std::make_unique<StorageHealth>(m_platform.storageRetryMilliseconds);
    connect(m_storageHealth.get(), &StorageHealth::episodeStarted, this, [this](StorageHealth::Problem problem) {
        // After the capture whose write failed had its say: its own toast tells it.
        QTimer::singleShot(0, this, [this, problem] {
            if (m_storageHealth->takeAnnouncement())
                m_toast->show(StorageHealth::text(problem), QStringLiteral("exclamationmark.triangle.fill"), false, 4.0);
        });
    });
    const auto watch = [this](auto* store) {
        using Store = std::remove_pointer_t<decltype(store)>;
        connect(store, &Store::writeOutcome, m_storageHealth.get(), &StorageHealth::report);
        connect(store, &Store::historyUnreadable, m_storageHealth.get(), &StorageHealth::reportUnreadable);
        m_storageHealth->addSource([store] { return store->hasUnwrittenChanges(); }, [store] { store->retryWrites(); });
        // Read (or not) before anyone listened.
        if (store->unreadableError())
            m_storageHealth->reportUnreadable();
    };
    watch(m_clipboardStore.get());
    watch(m_screenshotStore.get());
    connect(m_clipboardStore.get(), &ClipboardHistoryStore::problem, this, [this](const QString& text) {
        m_toast->show(text, QStringLiteral("exclamationmark.triangle.fill"), false, 3.0);
    });
}
