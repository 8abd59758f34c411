#include "App/CompositionRoot.h"

#include "App/AppCoordinator.h"
#include "App/AppEditorEnvironment.h"
#include "App/ZentuApp.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Clipboard/Pasteboard.h"
#include "Editor/EditorWindowController.h"
#include "MenuBar/ClipboardHistoryView.h"
#include "MenuBar/MenuBarContentView.h"
#include "Settings/OnboardingView.h"
#include "Settings/SettingsView.h"
#include "Toasts/ToastPresenter.h"
#include "Ui/TooltipHost.h"

#include <QApplication>

CompositionRoot::CompositionRoot(const AppPlatform& platform, CaptureBackends& backends, Localizer& localizer,
                                 Desktop desktop)
    : m_platform(platform)
    , m_localizer(localizer)
    , m_desktop(desktop)
    , m_delegate(platform, backends, this)
{
    AppCoordinator& coordinator = m_delegate.coordinator();
    m_scene = std::make_unique<ZentuApp>([this, &coordinator] { return panelContent(coordinator.environment()); },
                                         m_desktop.trays, m_scheduler);
}

CompositionRoot::~CompositionRoot() = default;

// The panel, the clipboard window and the settings show the editor's dark
// tooltips too, never the platform's.
QWidget* CompositionRoot::clipboardHistoryView(const AppEnvironment& env)
{
    auto* view = new ClipboardHistoryView(true, false, *env.clipboardStore, &m_platform.applications);
    new TooltipHost(m_scheduler, view);
    return view;
}

std::unique_ptr<QWidget> CompositionRoot::editorWindow(const QImage& image, const ScreenshotItem& item)
{
    auto environment = std::make_unique<AppEditorEnvironment>(m_delegate.coordinator().editorServices());
    return std::make_unique<EditorWindowController>(image, item, std::move(environment),
                                                    EditorToolbarServices{m_scheduler, m_colorPanel});
}

// The settings window's tabs; the language choice lives in the same defaults
// the translation lookup reads.
QWidget* CompositionRoot::settingsView(const AppEnvironment& env)
{
    AppCoordinator& coordinator = m_delegate.coordinator();
    SettingsContext context;
    context.settings = env.settings;
    context.hotkeys = &coordinator.hotkeys();
    context.localizer = &m_localizer;
    context.userDefaults = &m_platform.userDefaults;
    context.folderChooser = &m_desktop.folderChooser;
    context.folders = &m_platform.folders;
    context.beeper = &m_desktop.beeper;
    context.clipboardStore = env.clipboardStore;
    context.screenshotStore = env.screenshotStore;
    context.permissions = env.permissions;
    context.alerts = &m_platform.alerts;
    context.authenticator = &m_desktop.authenticator;
    context.workspace = &m_platform.workspace;
    context.bundle = &m_platform.bundle;
    context.checkForUpdates = [&coordinator] { coordinator.checkForUpdates(); };
    context.uninstall = [&coordinator] { coordinator.confirmAndUninstall(); };
    auto* view = new SettingsView(context);
    new TooltipHost(m_scheduler, view);
    return view;
}

// The first-run window, opened by the start-up check while a permission is missing.
QWidget* CompositionRoot::onboardingView(const AppEnvironment& env, std::function<void()> onClose,
                                         std::function<void(double)> onHeightChange)
{
    return new OnboardingView(*env.permissions, std::move(onClose), std::move(onHeightChange));
}

// The tray panel asks the coordinator for every action.
QWidget* CompositionRoot::panelContent(const AppEnvironment& env)
{
    AppCoordinator& coordinator = m_delegate.coordinator();
    MenuBarActions actions;
    actions.captureInteractive = [&coordinator] { coordinator.captureInteractive(); };
    actions.captureFullScreen = [&coordinator] { coordinator.captureFullScreen(); };
    actions.captureScrollingWindow = [&coordinator] { coordinator.captureScrollingWindow(); };
    actions.openEditor = [&coordinator](const QImage& image, const ScreenshotItem& item) {
        coordinator.openEditor(image, item);
    };
    actions.showClipboardHistory = [&coordinator] { coordinator.showClipboardHistory(); };
    actions.openSettings = [&coordinator] { coordinator.openSettings(); };
    actions.quit = [] { QApplication::quit(); };
    // The app's own copy stays out of the clipboard history.
    ClipboardService& clipboard = m_platform.clipboard;
    actions.copyScreenshotImage = [&coordinator, &clipboard](const QImage& image) {
        coordinator.clipboardMonitor().ownWrite(Pasteboard::copyImageWithPNG(clipboard, image));
    };
    actions.notify = [&coordinator](const QString& text) {
        coordinator.toast().show(text, QStringLiteral("exclamationmark.triangle.fill"), false, 3.0);
    };
    auto* view = new MenuBarContentView(*env.settings, *env.clipboardStore, *env.screenshotStore, env.permissions,
                                        m_platform.workspace, m_frameClock, m_tileHoverSync, actions,
                                        &m_platform.applications);
    new TooltipHost(m_scheduler, view);
    return view;
}
