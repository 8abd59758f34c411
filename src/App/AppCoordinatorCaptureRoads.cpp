// The coordinator's capture roads: the permission guards, the interactive and
// full-screen flows, and what they reach of the coordinator's services.
#include "App/AppCoordinator.h"

#include "App/CaptureFlows.h"
#include "App/CoordinatorServices.h"
#include "App/DeferredImageCopy.h"
#include "App/PermissionGuards.h"
#include "Toasts/ToastPresenter.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Editor/EditorWindowController.h"
#include "Hotkeys/HotkeyManager.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "Screenshot/Backdrop.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/TimestampStamper.h"
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
    m_introPresenter = std::make_unique<CaptureIntroPresenter>(m_services.userDefaults(), &m_services.activationPolicy());

    m_guards = std::make_unique<PermissionGuards>(*m_permissions, m_services.platformPermissions(),
                                                  m_services.userDefaults(), m_services.alerts(),
                                                  m_services.launcher());

    // While the overlay holds the keyboard the global hotkey cannot fire; the
    // service sees the press itself.
    QPointer<AppCoordinator> self(this);
    m_screenshotService->setCaptureHotkeyMatcher([self](const QKeyEvent& event) {
        return self && self->m_hotkeys->matches(HotkeyAction::captureArea, event);
    });

    CaptureFlows::Hooks hooks;
    hooks.ensureScreenRecordingPermission = [self] { return self && self->m_guards->ensureScreenRecordingPermission(); };
    // A capture never shows the program's own tooltips, menus or the panel,
    // nor what they left on the windows beneath before those repainted. Its
    // popovers and tooltips follow the compositor.
    m_transientUi = std::make_unique<TransientUi>(m_services.makeRepaintWatch(), m_services.compositing(),
                                                  Backdrop::grabScreens);
    // Without a repaint watch only a window gone within the fixed settle
    // time can still show; with one, any gone within the wait's bound.
    hooks.dismissTransientUi = [self] {
        if (!self)
            return false;
        TransientUi& ui = *self->m_transientUi;
        return ui.dismiss(ui.watchesRepaint() ? CaptureFlows::transientUiRepaintBoundMs
                                              : CaptureFlows::transientUiSettleMs);
    };
    hooks.transientUiRepainted = [self]() -> std::optional<bool> {
        if (!self)
            return std::nullopt;
        return self->m_transientUi->repainted(CaptureFlows::transientUiRepaintBoundMs);
    };
    hooks.beginInteractiveCapture = [self](bool detectWindows, CaptureFlows::IntroStep intro,
                                           CaptureFlows::Completion completion) {
        if (self)
            self->m_screenshotService->beginInteractiveCapture(detectWindows, std::move(intro), std::move(completion));
    };
    hooks.captureFullScreenImmediately = [self](bool showsCursor, CaptureFlows::Completion completion) {
        if (self)
            self->m_screenshotService->captureFullScreenImmediately(showsCursor, std::move(completion));
    };
    hooks.stamp = [](const QImage& image, const QDateTime& date) { return TimestampStamper::stamp(image, date); };
    // The PNG is made off the main thread: the editor opens meanwhile. A copy
    // another program made since the hotkey is recorded before the capture
    // may replace it.
    QPointer<ClipboardMonitor> monitor(m_clipboardMonitor.get());
    auto copier = std::make_shared<DeferredImageCopy>(
        m_services.clipboard(), [monitor](DeferredImageCopy::Write write, std::function<void(const ClipboardWrite&)> done) {
            if (monitor)
                monitor->writeAfterPendingChanges(std::move(write), std::move(done));
            else
                done({});
        });
    hooks.copyToPasteboard = [copier](const QImage& image, CaptureFlows::PngData png, std::function<void(bool)> done) {
        copier->copy(image, std::move(done), png);
    };
    hooks.showToast = [self](const QString& text, const QString& symbol, bool sticky, double seconds) {
        if (self)
            self->m_toast->show(text, symbol, sticky, seconds);
    };
    hooks.dismissToast = [self] {
        if (self)
            self->m_toast->dismiss();
    };
    hooks.hideToast = [self] {
        if (self)
            self->m_toast->hideNow();
    };
    hooks.store = [self](const QImage& image, CaptureFlows::PngData png, CaptureKind kind, bool openEditor,
                         std::function<void(const FileWriteOutcome&)> stored) {
        if (!self)
            return;
        const ScreenshotItem item = self->m_screenshotStore->add(image, kind, {}, png, std::move(stored));
        if (openEditor)
            self->openEditor(image, item);
    };
    hooks.storageProblemAnnounced = [self] {
        if (self)
            self->m_storageHealth->takeAnnouncement();
    };
    hooks.intro = m_introPresenter.get();
    m_captureFlows = std::make_unique<CaptureFlows>(*m_settings, std::move(hooks));
}

void AppCoordinator::captureInteractive() { m_captureFlows->captureInteractive(); }

void AppCoordinator::captureFullScreen() { m_captureFlows->captureFullScreen(); }

void AppCoordinator::openEditor(const QImage& image, const ScreenshotItem& item)
{
    if (!m_editorFactory) {
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
    adoptEditorWindow(m_editorFactory(image, item));
}
