#pragma once
// The hub of the running program: owns every long-lived service, wires them to
// each other, runs the start-up sequence and keeps the app's windows.
#include "App/AppEnvironment.h"
#include "Models/HotkeyAction.h"

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CoordinatorServices;
class QWidget;
class SettingsManager;
class ToastPresenter;

class AppCoordinator : public QObject {
    Q_OBJECT
public:
    // Builds the services in their fixed order; cannot fail.
    explicit AppCoordinator(CoordinatorServices& services, QObject* parent = nullptr);
    ~AppCoordinator() override;

    // The start-up sequence, run once after launching has finished.
    void start();

    // Services (the ones other parts of the program reach through the coordinator).
    SettingsManager& settings() { return *m_settings; }
    ToastPresenter& toast() { return *m_toast; }
    AppEnvironment environment();

    // Window contents. The windows themselves, their titles, sizes and
    // bookkeeping belong to the coordinator; the views inside come from these.
    using ViewFactory = std::function<QWidget*(const AppEnvironment&)>;
    using OnboardingViewFactory = std::function<QWidget*(const AppEnvironment&, std::function<void()> onClose,
                                                         std::function<void(double)> onHeightChange)>;
    void setSettingsViewFactory(ViewFactory factory) { m_settingsView = std::move(factory); }
    void setClipboardHistoryViewFactory(ViewFactory factory) { m_clipboardView = std::move(factory); }
    void setOnboardingViewFactory(OnboardingViewFactory factory) { m_onboardingView = std::move(factory); }

    void showClipboardHistory();
    void openSettings();
    void openOnboarding();
    // Editor windows: the coordinator keeps each one until it closes, and the
    // app is a regular application while any is open.
    void adoptEditorWindow(std::unique_ptr<QWidget> window);
    // Closes every editor window through its own close path (used on quit, so
    // that each editor writes its annotations back first).
    void closeEditorWindows();

    // Windows while they exist (null otherwise).
    QWidget* settingsWindow() const { return m_settingsWindow.get(); }
    QWidget* clipboardPanel() const { return m_clipboardPanel.get(); }
    QWidget* onboardingWindow() const { return m_onboardingWindow.get(); }
    const std::vector<std::unique_ptr<QWidget>>& editorWindows() const { return m_editorWindows; }

    // Called by the first-run view: its OK button, and its measured height.
    void finishOnboarding();
    void fitOnboarding(double measuredHeight);

    static QString installStamp(std::optional<qint64> executableModified, const QString& bundleVersion);
    // The first-run window's new content geometry for a measured content
    // height, or nothing when the height stays (within one pixel).
    static std::optional<QRect> onboardingGeometry(QRect content, QMargins frame, double measuredHeight,
                                                   std::optional<QRect> visibleFrame);

    static constexpr const char* onboardingCompletedKey = "zentu.onboarding.completed";
    static constexpr const char* installStampKey = "zentuInstallStamp";
    static constexpr const char* hideCaptureIntroKey = "zentuHideCaptureIntro";
    static constexpr const char* hideScrollIntroKey = "zentuHideScrollIntro";
    static constexpr int onboardingCheckDelayMs = 1200;

Q_SIGNALS:
    // The onboarding check ran (1.2 s after start when it was due).
    void onboardingChecked();

private:
    void handle(HotkeyAction action);
    void resetIntrosAfterReinstall();
    void runOnboardingCheck();
    void updateActivationPolicy();
    void refreshWindowTitles();
    void bringForward(QWidget* window);

    CoordinatorServices& m_services;
    std::unique_ptr<SettingsManager> m_settings;
    // Permission manager, hotkey manager, screenshot service: built here in
    // that order once they are part of the program (see the constructor).
    std::unique_ptr<ToastPresenter> m_toast;
    // Update checker, clipboard and screenshot stores, clipboard monitor: see
    // the constructor.

    std::vector<std::unique_ptr<QWidget>> m_editorWindows;
    std::unique_ptr<QWidget> m_settingsWindow;
    std::unique_ptr<QWidget> m_clipboardPanel;
    std::unique_ptr<QWidget> m_onboardingWindow;
    QMetaObject::Connection m_langConnection;

    ViewFactory m_settingsView;
    ViewFactory m_clipboardView;
    OnboardingViewFactory m_onboardingView;
};
