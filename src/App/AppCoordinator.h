#pragma once
// The hub of the running program: owns every long-lived service, wires them to
// each other and runs the start-up sequence. Its windows are kept by
// AppWindows, the first-run logic lives in FirstRun.
#include "App/AppEditorEnvironment.h"
#include "App/AppEnvironment.h"
#include "App/AppPlatform.h"
#include "App/AppWindows.h"
#include "App/EditorOpener.h"
#include "Models/HotkeyAction.h"
#include "Ui/TimerDelayScheduler.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class AppcastUpdater;
class CaptureDestinations;
class CaptureFlows;
class CaptureStage;
class CaptureIntroPresenter;
class ClipboardHistoryStore;
class ClipboardMonitor;
class CaptureBackends;
class DeferredImageCopy;
class FirstRun;
class HotkeyManager;
class OCRService;
class PinnedImages;
class ResultActions;
class ShareFolder;
class PermissionGuards;
class QImage;
struct ScreenshotItem;
class PermissionManager;
class QWidget;
class ScreenshotHistoryStore;
class ScreenshotService;
class ScrollCapture;
class ScrollCaptureEngine;
class ScrollCaptureFlow;
class ScrollCaptureSteps;
class SelfInstall;
class SettingsManager;
class StorageHealth;
class ToastPresenter;
class TransientUi;
class WindowContents;
class Uninstaller;

class AppCoordinator : public QObject, public EditorOpener {
    Q_OBJECT
public:
    // Builds the services in their fixed order on the platform's; cannot fail.
    // contents: the views of its windows and the editor windows (none: empty
    // windows and no editor).
    AppCoordinator(AppPlatform platform, CaptureBackends& backends, WindowContents* contents = nullptr,
                   QObject* parent = nullptr);
    ~AppCoordinator() override;

    // The start-up sequence, run once after launching has finished.
    void start();

    // Services the composition root and the app delegate hand on (and tests reach).
    HotkeyManager& hotkeys() { return *m_hotkeys; }
    ToastPresenter& toast() { return *m_toast; }
    ClipboardMonitor& clipboardMonitor() { return *m_clipboardMonitor; }
    AppcastUpdater& updater() { return *m_updater; }
    SelfInstall& selfInstall() { return *m_selfInstall; }
    // What every window's views receive: the settings, both histories and
    // the permission state.
    AppEnvironment environment();

    // "Nach Updates suchen": checks at once and shows every outcome.
    void checkForUpdates();
    // "Zentu.it deinstallieren…": asks, then removes the app and quits.
    void confirmAndUninstall();

    // The two direct capture roads (hotkeys and the panel's capture buttons).
    void captureInteractive();
    void captureFullScreen();
    // Opens the editor on a stored capture, when an editor is part of the program.
    void openEditor(const QImage& image, const ScreenshotItem& item) override;

    void showClipboardHistory();
    // The scrolling capture: own windows aside, intro, permissions, picker,
    // scrolling; returns at once.
    void captureScrollingWindow();
    void openSettings();
    void openOnboarding();
    // Editor windows: the coordinator keeps each one until it closes, and the
    // app is a regular application while any is open.
    void adoptEditorWindow(std::unique_ptr<QWidget> window);
    // Closes every editor window through its own close path (used on quit, so
    // that each editor writes its annotations back first).
    void closeEditorWindows();
    // Writes back what every open editor holds and waits until it is on disk,
    // leaving the windows as they are: the display is gone and the process
    // ends right after.
    void persistOpenEditors();

    // What the editor windows use: where their results go (copied to the
    // clipboard and recorded once in the clipboard history as the app's own
    // copy, saved through the save dialog, pinned above every window, read
    // as text, handed to other programs through the share folder, which is
    // emptied at start and at quit), the history they write back to, and the
    // clipboard, dialogs and desktop they use.
    AppEditorEnvironment::Services editorServices();

    // Windows while they exist (null otherwise).
    QWidget* settingsWindow() const { return m_windows->window(AppWindows::Single::settings); }
    QWidget* clipboardPanel() const { return m_windows->window(AppWindows::Single::clipboardHistory); }
    QWidget* onboardingWindow() const { return m_windows->window(AppWindows::Single::onboarding); }
    const std::vector<std::unique_ptr<QWidget>>& editorWindows() const { return m_windows->editors(); }

    // Called by the first-run view: its OK button, and its measured height.
    void finishOnboarding();
    void fitOnboarding(double measuredHeight);

Q_SIGNALS:
    // The onboarding check ran (1.2 s after start when it was due).
    void onboardingChecked();

private:
    void handle(HotkeyAction action);
    // Ends everything that writes the app's files (before an uninstallation).
    void stopActivity();
    void watchStorage();
    void buildCaptureRoads();

    const AppPlatform m_platform;
    CaptureBackends& m_backends;
    // The windows themselves, their titles, sizes and bookkeeping belong to
    // the window registry; the views inside come from here.
    WindowContents* m_contents;
    std::unique_ptr<SettingsManager> m_settings;
    std::unique_ptr<PermissionManager> m_permissions;
    // The intro cards; they read their hide keys where the reinstall check
    // removes them.
    std::unique_ptr<CaptureIntroPresenter> m_introPresenter;
    std::unique_ptr<HotkeyManager> m_hotkeys;
    std::unique_ptr<ScreenshotService> m_screenshotService;
    std::unique_ptr<ToastPresenter> m_toast;
    std::unique_ptr<ScrollCaptureEngine> m_scrollEngine;
    std::unique_ptr<ScrollCapture> m_scrollCapture;
    std::unique_ptr<ScrollCaptureSteps> m_scrollSteps;
    std::unique_ptr<ScrollCaptureFlow> m_scrollFlow;
    std::unique_ptr<AppcastUpdater> m_updater;
    std::unique_ptr<ClipboardHistoryStore> m_clipboardStore;
    std::unique_ptr<ScreenshotHistoryStore> m_screenshotStore;
    std::unique_ptr<ClipboardMonitor> m_clipboardMonitor;
    std::unique_ptr<StorageHealth> m_storageHealth;
    std::unique_ptr<PermissionGuards> m_guards;
    // The common clock of the capture roads' waits.
    TimerDelayScheduler m_delays;
    std::unique_ptr<CaptureStage> m_captureStage;
    std::unique_ptr<DeferredImageCopy> m_captureCopier;
    std::unique_ptr<CaptureDestinations> m_captureDestinations;
    std::unique_ptr<CaptureFlows> m_captureFlows;
    std::unique_ptr<SelfInstall> m_selfInstall;
    std::unique_ptr<Uninstaller> m_uninstaller;
    // Our tooltips, menus and popups, hidden before the screen is read.
    std::unique_ptr<TransientUi> m_transientUi;
    std::unique_ptr<ResultActions> m_results;
    std::unique_ptr<OCRService> m_ocr;
    std::unique_ptr<ShareFolder> m_shareFolder;
    std::unique_ptr<PinnedImages> m_pinned;
    std::unique_ptr<AppWindows> m_windows;
    std::unique_ptr<FirstRun> m_firstRun;
};
