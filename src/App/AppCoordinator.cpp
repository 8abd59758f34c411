#include "App/AppCoordinator.h"

#include "App/CaptureFlows.h"
#include "App/CoordinatorServices.h"
#include "App/PermissionGuards.h"
#include "App/PinnedImageWindowController.h"
#include "App/ResultActions.h"
#include "App/SelfInstall.h"
#include "App/Uninstaller.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "App/ScrollCaptureEngine.h"
#include "App/ScrollCaptureFlow.h"
#include "App/ToastPresenter.h"
#include "App/WindowCloseWatcher.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Debug/DebugLog.h"
#include "Editor/OCRService.h"
#include "Hotkeys/HotkeyManager.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Platform/ActivationPolicy.h"
#include "Platform/AppIdentity.h"
#include "Platform/ClipboardService.h"
#include "Platform/UserDefaults.h"
#include "Screenshot/ScreenshotService.h"
#include "Screenshot/ScrollCapture.h"
#include "Settings/SettingsManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/ShareFolder.h"
#include "Storage/Storage.h"
#include "Updates/AppcastUpdater.h"
#include "Ui/TransientUi.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

// A top-level window whose content view comes from a factory (an empty view
// while none is installed).
std::unique_ptr<QWidget> makeWindow(Qt::WindowFlags flags, const QString& title, QSize size, QWidget* content)
{
    auto window = std::make_unique<QWidget>(nullptr, flags);
    window->setWindowTitle(title);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content ? content : new QWidget);
    window->resize(size);
    return window;
}

void centre(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    window->move(available.center() - QPoint(window->width() / 2, window->height() / 2));
}

// Drops a window from its field once its close has run to the end.
void dropLater(std::unique_ptr<QWidget>& field)
{
    if (QWidget* window = field.release())
        window->deleteLater();
}

} // namespace

AppCoordinator::AppCoordinator(CoordinatorServices& services, QObject* parent)
    : QObject(parent)
    , m_services(services)
{
    // 1. Settings first: everything below reads them.
    m_settings = m_services.makeSettingsManager();
    // 2. The permission manager starts its own 2 s poll.
    m_permissions = m_services.makePermissionManager();
    // 3. No action callback yet, nothing registered.
    m_hotkeys = m_services.makeHotkeyManager();
    // 4. Screenshot service with its own capturer and window detector.
    m_screenshotService = m_services.makeScreenshotService();
    // 5. The toast presenter, without a panel until the first toast.
    m_toast = m_services.makeToastPresenter();
    // 6. The update check, started at once: it checks on its own schedule.
    m_updater = m_services.makeUpdater();
    m_updater->start();
    // 7. No windows yet (the window fields start empty).
    // 8. The storage folders exist before any store is made.
    m_services.ensureDirectories();
    // 9.
    m_clipboardStore = m_services.makeClipboardHistoryStore(*m_settings);
    // 10. Made with its history read from disk.
    m_screenshotStore = m_services.makeScreenshotHistoryStore(*m_settings);
    // 11. Not polling until start().
    m_clipboardMonitor = m_services.makeClipboardMonitor(*m_clipboardStore, *m_settings);
    // 12. The store's own copies must not come back as new history entries.
    QPointer<AppCoordinator> self(this);
    m_clipboardStore->onInternalWrite = [self] {
        if (self)
            self->m_clipboardMonitor->setLastChangeCount(self->m_services.clipboard().changeCount());
    };
    // 13.
    m_hotkeys->onAction = [self](HotkeyAction action) {
        if (self)
            self->handle(action);
    };
    buildCaptureRoads();
    buildResultServices();

    // The scrolling capture (its engine is static; the flow is ours).
    m_scrollEngine = m_services.makeScrollCaptureEngine();
    ScrollCaptureFlow::Steps scroll;
    scroll.contentWindows = [self] {
        QList<QWidget*> windows;
        if (self) {
            windows = {self->m_settingsWindow.get(), self->m_onboardingWindow.get(), self->m_clipboardPanel.get()};
            for (const auto& editor : self->m_editorWindows)
                windows.append(editor.get());
        }
        return windows;
    };
    scroll.showIntro = [](std::function<void()> proceed, std::function<void()> cancel) {
        CaptureIntroPresenter::shared().show(CaptureIntroConfig::scroll(), std::move(proceed), std::move(cancel));
    };
    scroll.ensureScreenRecordingPermission = [self]() -> QCoro::Task<bool> {
        co_return self && self->m_guards->ensureScreenRecordingPermission();
    };
    scroll.ensureAccessibilityPermission = [self] { return self && self->m_guards->ensureAccessibilityPermission(); };
    scroll.runEngine = [] { return ScrollCapture::run(); };
    // The common end of every capture: stamp, pasteboard, toast, history, editor.
    scroll.handleCaptured = [self](const CapturedScreenshot& captured) {
        if (self)
            self->m_captureFlows->handleCaptured(captured);
    };
    scroll.showToast = [self](const QString& text, const QString& symbol, bool sticky, double duration) {
        if (self)
            self->m_toast->show(text, symbol, sticky, duration);
    };
    m_scrollFlow = std::make_unique<ScrollCaptureFlow>(std::move(scroll));

    // Installing for the user (the delegate's first launch step) and uninstalling.
    m_selfInstall = std::make_unique<SelfInstall>(m_services.alerts(), m_services.launcher(), m_services.installation(),
                                                  m_services.session(), Storage::paths());
    m_uninstaller = std::make_unique<Uninstaller>(
        Uninstaller::Services{m_services.alerts(), m_services.loginItemService(), m_services.userDefaults(),
                              m_services.installation(), m_services.launcher(), Storage::paths()},
        [self] {
            if (self)
                self->stopActivity();
        });

    m_onboardingCheck.setSingleShot(true);
    m_onboardingCheck.setTimerType(Qt::PreciseTimer);
    m_onboardingCheck.setInterval(onboardingCheckDelayMs);
    connect(&m_onboardingCheck, &QTimer::timeout, this, &AppCoordinator::runOnboardingCheck);
}

AppCoordinator::~AppCoordinator()
{
    disconnect(m_langConnection);
    if (m_clipboardStore)
        m_clipboardStore->onInternalWrite = nullptr;
    // The intro cards read this coordinator's user defaults: not beyond its life.
    CaptureIntroPresenter::setShared(nullptr);
}

AppEnvironment AppCoordinator::environment()
{
    AppEnvironment env;
    env.coordinator = this;
    env.settings = m_settings.get();
    env.clipboardStore = m_clipboardStore.get();
    env.screenshotStore = m_screenshotStore.get();
    env.permissions = m_permissions.get();
    return env;
}

void AppCoordinator::start()
{
    // 1.
    resetIntrosAfterReinstall();
    // 2.
    m_permissions->refresh();
    // 3. The first-run check, 1.2 s later, unless the first run was completed.
    if (!m_services.userDefaults().boolValue(QString::fromLatin1(onboardingCompletedKey)))
        m_onboardingCheck.start();
    // 4.
    m_guards->requestScreenRecordingIfPending();
    // Pictures shared in an earlier run are gone.
    m_shareFolder->clear();
    // 5.
    m_clipboardMonitor->start();
    // 6.
    m_hotkeys->registerAll(*m_settings);
    // 7.
    updateActivationPolicy();
    // 8. Retitle the open windows on every language change, and once now.
    disconnect(m_langConnection);
    QPointer<AppCoordinator> self(this);
    m_langConnection = connect(&Localizer::shared(), &Localizer::langChanged, this, [self] {
        if (self)
            self->refreshWindowTitles();
    });
    refreshWindowTitles();
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
    m_updater->checkForUpdates();
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
    m_onboardingCheck.stop();
    m_updater->stop();
}

void AppCoordinator::captureScrollingWindow()
{
    // The picker's frozen view and the frames never show our tooltips or menus.
    m_transientUi->dismiss();
    m_scrollFlow->captureScrollingWindow();
}

QString AppCoordinator::installStamp(std::optional<qint64> executableModified, const QString& bundleVersion)
{
    if (executableModified)
        return QString::number(*executableModified);
    if (!bundleVersion.isEmpty())
        return bundleVersion;
    return QStringLiteral("?");
}

void AppCoordinator::resetIntrosAfterReinstall()
{
    const AppIdentity& identity = m_services.appIdentity();
    const QString stamp = installStamp(identity.executableModificationTime(), identity.bundleVersion());
    UserDefaults& defaults = m_services.userDefaults();
    if (defaults.string(QString::fromLatin1(installStampKey)) == stamp)
        return;
    defaults.remove(QString::fromLatin1(hideCaptureIntroKey));
    defaults.remove(QString::fromLatin1(hideScrollIntroKey));
    defaults.setValue(QString::fromLatin1(installStampKey), stamp);
    DebugLog::write(QStringLiteral("Neue Installation erkannt (stamp ") + stamp
                    + QStringLiteral(") — Intro-Karten wieder aktiviert"));
}

void AppCoordinator::runOnboardingCheck()
{
    // The flags as they stand, without another refresh.
    if (!m_onboardingWindow) {
        if (m_permissions->screenRecordingAuthorized() && m_permissions->accessibilityAuthorized())
            m_services.userDefaults().setValue(QString::fromLatin1(onboardingCompletedKey), true);
        else
            openOnboarding();
    }
    Q_EMIT onboardingChecked();
}

// ---- windows -------------------------------------------------------------

void AppCoordinator::bringForward(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

void AppCoordinator::showClipboardHistory()
{
    if (!m_clipboardPanel) {
        QWidget* content = m_clipboardView ? m_clipboardView(environment()) : nullptr;
        m_clipboardPanel = makeWindow(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint
                                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint,
                                      Localizer::t(QStringLiteral("Zwischenablage-Verlauf")), QSize(380, 520), content);
        centre(m_clipboardPanel.get());
        auto* watcher = new WindowCloseWatcher(m_clipboardPanel.get());
        QPointer<AppCoordinator> self(this);
        connect(watcher, &WindowCloseWatcher::closed, this, [self] {
            if (self)
                dropLater(self->m_clipboardPanel);
        });
        bringForward(m_clipboardPanel.get());
        return;
    }
    if (m_clipboardPanel->isVisible()) {
        m_clipboardPanel->close();
        return;
    }
    bringForward(m_clipboardPanel.get());
}

void AppCoordinator::openSettings()
{
    if (m_settingsWindow) {
        bringForward(m_settingsWindow.get());
        return;
    }
    QWidget* content = m_settingsView ? m_settingsView(environment()) : nullptr;
    m_settingsWindow = makeWindow(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                      | Qt::WindowMinimizeButtonHint | Qt::CustomizeWindowHint,
                                  Localizer::t(QStringLiteral("Zentu.it Einstellungen")), QSize(640, 850), content);
    m_settingsWindow->setFixedSize(640, 850);
    centre(m_settingsWindow.get());
    auto* watcher = new WindowCloseWatcher(m_settingsWindow.get());
    QPointer<AppCoordinator> self(this);
    connect(watcher, &WindowCloseWatcher::closed, this, [self] {
        if (!self)
            return;
        dropLater(self->m_settingsWindow);
        self->updateActivationPolicy();
    });
    updateActivationPolicy();
    bringForward(m_settingsWindow.get());
}

void AppCoordinator::openOnboarding()
{
    if (m_onboardingWindow) {
        bringForward(m_onboardingWindow.get());
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
    QWidget* content = m_onboardingView ? m_onboardingView(environment(), onClose, onHeightChange) : nullptr;
    m_onboardingWindow = makeWindow(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                        | Qt::CustomizeWindowHint,
                                    Localizer::t(QStringLiteral("Zentu.it einrichten")), QSize(460, 520), content);
    centre(m_onboardingWindow.get());
    auto* watcher = new WindowCloseWatcher(m_onboardingWindow.get());
    connect(watcher, &WindowCloseWatcher::closed, this, [self] {
        if (self)
            dropLater(self->m_onboardingWindow);
    });
    bringForward(m_onboardingWindow.get());
}

void AppCoordinator::finishOnboarding()
{
    // Done only with both permissions; otherwise the check runs again at the next start.
    if (m_permissions->screenRecordingAuthorized() && m_permissions->accessibilityAuthorized())
        m_services.userDefaults().setValue(QString::fromLatin1(onboardingCompletedKey), true);
    if (m_onboardingWindow)
        m_onboardingWindow->close();
}

void AppCoordinator::fitOnboarding(double measuredHeight)
{
    QPointer<AppCoordinator> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, measuredHeight] {
            if (!self || !self->m_onboardingWindow)
                return;
            QWidget* window = self->m_onboardingWindow.get();
            const QRect frame = window->frameGeometry();
            const QRect content = window->geometry();
            const QMargins margins(content.left() - frame.left(), content.top() - frame.top(),
                                   frame.right() - content.right(), frame.bottom() - content.bottom());
            const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            const std::optional<QRect> visible
                = screen ? std::optional<QRect>(screen->availableGeometry()) : std::nullopt;
            if (const std::optional<QRect> fitted = onboardingGeometry(content, margins, measuredHeight, visible))
                window->setGeometry(*fitted);
        },
        Qt::QueuedConnection);
}

std::optional<QRect> AppCoordinator::onboardingGeometry(QRect content, QMargins frame, double measuredHeight,
                                                        std::optional<QRect> visibleFrame)
{
    if (!std::isfinite(measuredHeight) || measuredHeight <= 0)
        return std::nullopt;
    const int target = int(std::ceil(measuredHeight));
    if (std::abs(content.height() - target) <= 1)
        return std::nullopt;
    // The top edge stays where it was.
    QRect fitted(content.x(), content.y(), 460, target);
    if (visibleFrame) {
        const QRect outer = fitted.marginsAdded(frame);
        int dy = 0;
        if (outer.top() < visibleFrame->top())
            dy = visibleFrame->top() - outer.top();
        const int bottom = outer.bottom() + dy;
        if (bottom > visibleFrame->bottom())
            dy -= bottom - visibleFrame->bottom();
        fitted.translate(0, dy);
    }
    return fitted;
}

void AppCoordinator::adoptEditorWindow(std::unique_ptr<QWidget> window)
{
    if (!window)
        return;
    QWidget* raw = window.get();
    raw->setWindowTitle(Localizer::t(QStringLiteral("Zentu.it Editor")));
    auto* watcher = new WindowCloseWatcher(raw);
    QPointer<AppCoordinator> self(this);
    QPointer<QWidget> weakWindow(raw);
    connect(watcher, &WindowCloseWatcher::closed, this, [self, weakWindow] {
        if (!self || !weakWindow)
            return;
        auto& list = self->m_editorWindows;
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const std::unique_ptr<QWidget>& w) { return w.get() == weakWindow; });
        if (it != list.end()) {
            it->release()->deleteLater();
            list.erase(it);
        }
        self->updateActivationPolicy();
    });
    m_editorWindows.push_back(std::move(window));
    raw->show();
    raw->raise();
    updateActivationPolicy();
    raw->activateWindow();
    raw->raise();
    const auto policy = int(m_services.activationPolicy().policy());
    auto yesNo = [](bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); };
    DebugLog::write(QStringLiteral("openEditor: policy=") + QString::number(policy)
                    + QStringLiteral(" active=") + yesNo(QApplication::activeWindow() != nullptr)
                    + QStringLiteral(" onActiveSpace=") + yesNo(raw->isVisible())
                    + QStringLiteral(" key=") + yesNo(raw->isActiveWindow())
                    + QStringLiteral(" visible=") + yesNo(raw->isVisible()));
}

void AppCoordinator::closeEditorWindows()
{
    std::vector<QPointer<QWidget>> open;
    for (const auto& w : m_editorWindows)
        open.emplace_back(w.get());
    for (const QPointer<QWidget>& w : open)
        if (w)
            w->close();
}

void AppCoordinator::updateActivationPolicy()
{
    const bool regular = !m_editorWindows.empty() || m_settingsWindow != nullptr;
    m_services.activationPolicy().setPolicy(regular ? ActivationPolicy::Policy::regular
                                                    : ActivationPolicy::Policy::accessory);
}

void AppCoordinator::refreshWindowTitles()
{
    if (m_settingsWindow)
        m_settingsWindow->setWindowTitle(Localizer::t(QStringLiteral("Zentu.it Einstellungen")));
    if (m_clipboardPanel)
        m_clipboardPanel->setWindowTitle(Localizer::t(QStringLiteral("Zwischenablage-Verlauf")));
    if (m_onboardingWindow)
        m_onboardingWindow->setWindowTitle(Localizer::t(QStringLiteral("Zentu.it einrichten")));
    for (const auto& w : m_editorWindows)
        w->setWindowTitle(Localizer::t(QStringLiteral("Zentu.it Editor")));
}
