#include "App/DefaultCoordinatorServices.h"

#include "App/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Clipboard/Pasteboard.h"
#include "Permissions/PermissionManager.h"
#include "Platform/Qt/QtAppIdentity.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/X11/X11ActivationPolicy.h"
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11OverlayDesktop.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/XkbKeyboardInfo.h"
#include "Screenshot/ScreenCapturer.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/WindowDetector.h"
#include "Settings/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"

DefaultCoordinatorServices::DefaultCoordinatorServices()
    : m_defaults(std::make_unique<SettingsFileUserDefaults>())
    , m_loginItem(std::make_unique<XdgAutostartLoginItem>())
    , m_keyboard(std::make_unique<XkbKeyboardInfo>())
    , m_activation(std::make_unique<X11ActivationPolicy>())
    , m_identity(std::make_unique<QtAppIdentity>())
{
}

DefaultCoordinatorServices::~DefaultCoordinatorServices() = default;

UserDefaults& DefaultCoordinatorServices::userDefaults() { return *m_defaults; }
ActivationPolicy& DefaultCoordinatorServices::activationPolicy() { return *m_activation; }
AppIdentity& DefaultCoordinatorServices::appIdentity() { return *m_identity; }
ClipboardService& DefaultCoordinatorServices::clipboard() { return Pasteboard::service(); }

std::unique_ptr<SettingsManager> DefaultCoordinatorServices::makeSettingsManager()
{
    return std::make_unique<SettingsManager>(*m_defaults, *m_loginItem, *m_keyboard);
}

X11ScreenSource& DefaultCoordinatorServices::screens()
{
    if (!m_screens)
        m_screens = std::make_unique<X11ScreenSource>();
    return *m_screens;
}

std::unique_ptr<PermissionManager> DefaultCoordinatorServices::makePermissionManager()
{
    if (!m_capturePermissions)
        m_capturePermissions = std::make_unique<X11CapturePermissions>(screens());
    return std::make_unique<PermissionManager>(*m_capturePermissions, screens());
}

std::unique_ptr<ScreenshotService> DefaultCoordinatorServices::makeScreenshotService()
{
    if (!m_windowServer)
        m_windowServer = std::make_unique<X11WindowServer>();
    if (!m_overlayDesktop) {
        // The overlay switches the app's policy through the shell's own service.
        ActivationPolicy* activation = m_activation.get();
        m_overlayDesktop = std::make_unique<X11OverlayDesktop>(
            [activation] { return int(activation->policy()); },
            [activation](int policy) {
                activation->setPolicy(policy == OverlayDesktop::regular ? ActivationPolicy::Policy::regular
                                                                         : ActivationPolicy::Policy::accessory);
            });
    }
    m_capturer = std::make_unique<ScreenCapturer>(screens(), *m_windowServer);
    m_windowDetector = std::make_unique<WindowDetector>(*m_windowServer, screens());
    return std::make_unique<ScreenshotService>(*m_capturer, *m_windowDetector, *m_overlayDesktop);
}

std::unique_ptr<ToastPresenter> DefaultCoordinatorServices::makeToastPresenter()
{
    return std::make_unique<ToastPresenter>();
}

void DefaultCoordinatorServices::ensureDirectories()
{
    Storage::ensureDirectories();
}

std::unique_ptr<ClipboardHistoryStore> DefaultCoordinatorServices::makeClipboardHistoryStore(SettingsManager& settings)
{
    return std::make_unique<ClipboardHistoryStore>(settings, &clipboard());
}

std::unique_ptr<ScreenshotHistoryStore> DefaultCoordinatorServices::makeScreenshotHistoryStore(SettingsManager& settings)
{
    return std::make_unique<ScreenshotHistoryStore>(settings);
}

std::unique_ptr<ClipboardMonitor> DefaultCoordinatorServices::makeClipboardMonitor(ClipboardHistoryStore& store,
                                                                                   SettingsManager& settings)
{
    if (!m_applications)
        m_applications = std::make_unique<X11ApplicationIdentity>();
    return std::make_unique<ClipboardMonitor>(store, settings, *m_applications, &clipboard());
}
