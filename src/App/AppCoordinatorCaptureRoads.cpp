// The coordinator's capture roads: the permission guards, the interactive and
// full-screen flows, the stage they clear and the destinations they reach.
#include "App/AppCoordinator.h"

#include "App/CaptureFlows.h"
#include "App/CaptureBackends.h"
#include "App/DeferredImageCopy.h"
#include "App/DesktopCaptureStage.h"
#include "App/HistoryCaptureDestinations.h"
#include "App/PermissionGuards.h"
#include "App/WindowContents.h"
#include "Toasts/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Editor/EditorWindowController.h"
#include "Hotkeys/HotkeyManager.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "Screenshot/Backdrop.h"
#include "Screenshot/ScreenshotService.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/StorageHealth.h"
#include "Platform/RepaintWatch.h"
#include "Ui/TransientUi.h"

#include <QKeyEvent>
#include <QWidget>

void AppCoordinator::buildCaptureRoads()
{
    // The intro cards read their hide keys where the reinstall check removes
    // them, and switch the same activation policy as the app's windows.
    m_introPresenter = std::make_unique<CaptureIntroPresenter>(m_platform.userDefaults, &m_platform.activationPolicy);

    m_guards = std::make_unique<PermissionGuards>(*m_permissions, m_platform.capturePermissions,
                                                  m_platform.userDefaults, m_platform.alerts,
                                                  m_platform.launcher);

    // While the overlay holds the keyboard the global hotkey cannot fire; the
    // service sees the press itself.
    m_screenshotService->setCaptureHotkeyMatcher([this](const QKeyEvent& event) {
        return m_hotkeys->matches(HotkeyAction::captureArea, event);
    });

    // A capture never shows the program's own tooltips, menus or the panel,
    // nor what they left on the windows beneath before those repainted. Its
    // popovers and tooltips follow the compositor.
    m_transientUi = std::make_unique<TransientUi>(m_backends.makeRepaintWatch(), m_platform.compositing,
                                                  Backdrop::grabScreens);
    m_captureStage = std::make_unique<DesktopCaptureStage>(*m_guards, *m_transientUi);
    // A copy another program made since the hotkey is recorded before the
    // capture may replace it.
    QPointer<ClipboardMonitor> monitor(m_clipboardMonitor.get());
    m_captureCopier = std::make_unique<DeferredImageCopy>(
        m_platform.clipboard, [monitor](DeferredImageCopy::Write write, std::function<void(const ClipboardWrite&)> done) {
            if (monitor)
                monitor->writeAfterPendingChanges(std::move(write), std::move(done));
            else
                done({});
        });
    m_captureDestinations =
        std::make_unique<HistoryCaptureDestinations>(*m_captureCopier, *m_screenshotStore, *this, *m_storageHealth);
    m_captureFlows = std::make_unique<CaptureFlows>(*m_settings, *m_captureStage, *m_screenshotService,
                                                    *m_introPresenter, *m_captureDestinations, *m_toast, m_delays);
}

void AppCoordinator::captureInteractive() { m_captureFlows->captureInteractive(); }

void AppCoordinator::captureFullScreen() { m_captureFlows->captureFullScreen(); }

void AppCoordinator::openEditor(const QImage& image, const ScreenshotItem& item)
{
    if (!m_contents) {
        DebugLog::write(QStringLiteral("openEditor: kein Editor verfügbar"));
        return;
    }
    // Two windows on one entry would each write back their own annotations,
    // and the later close would drop the other's: the open one comes forward.
    for (const auto& window : editorWindows())
        if (auto* editor = qobject_cast<EditorWindowController*>(window.get()); editor && editor->screenshotID() == item.id) {
            m_windows->present(editor);
            return;
        }
    adoptEditorWindow(m_contents->editorWindow(image, item));
}
