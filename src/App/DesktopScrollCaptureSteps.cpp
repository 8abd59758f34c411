#include "App/DesktopScrollCaptureSteps.h"

#include "App/AppWindows.h"
#include "App/CaptureFlows.h"
#include "App/PermissionGuards.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "App/PinnedImages.h"
#include "Pinned/PinnedImageWindowController.h"
#include "Screenshot/ScrollCapture.h"

DesktopScrollCaptureSteps::DesktopScrollCaptureSteps(AppWindows& windows, PinnedImages& pinned,
                                                     CaptureIntroPresenter& intro, CaptureFlows& flows,
                                                     PermissionGuards& guards, ScrollCapture* engine)
    : m_windows(windows)
    , m_pinned(pinned)
    , m_intro(intro)
    , m_flows(flows)
    , m_guards(guards)
    , m_engine(engine)
{
}

QList<QWidget*> DesktopScrollCaptureSteps::contentWindows()
{
    QList<QWidget*> windows;
    for (const AppWindows::Single single :
         {AppWindows::Single::settings, AppWindows::Single::onboarding, AppWindows::Single::clipboardHistory})
        windows.append(m_windows.window(single));
    for (const auto& editor : m_windows.editors())
        windows.append(editor.get());
    // Pinned pictures float above everything: over the target they would
    // cover what is scrolled.
    for (PinnedImageWindowController* pinned : m_pinned.windows())
        windows.append(pinned);
    return windows;
}

void DesktopScrollCaptureSteps::showIntro(std::function<void()> proceed, std::function<void()> cancel)
{
    m_intro.show(CaptureIntroConfig::scroll(), std::move(proceed), std::move(cancel));
}

void DesktopScrollCaptureSteps::whenScreenRepainted(std::function<void()> action)
{
    m_flows.runWithoutTransientUi(std::move(action));
}

QCoro::Task<bool> DesktopScrollCaptureSteps::ensureScreenRecordingPermission()
{
    co_return m_guards.ensureScreenRecordingPermission();
}

bool DesktopScrollCaptureSteps::ensureAccessibilityPermission() { return m_guards.ensureAccessibilityPermission(); }

QCoro::Task<std::optional<CapturedScreenshot>> DesktopScrollCaptureSteps::runEngine()
{
    // None where the platform offers no scrolling capture.
    if (!m_engine)
        co_return std::nullopt;
    co_return co_await m_engine->run();
}

void DesktopScrollCaptureSteps::handleCaptured(const CapturedScreenshot& captured) { m_flows.handleCaptured(captured); }
