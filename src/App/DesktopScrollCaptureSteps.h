#pragma once
// The scrolling capture's steps in the running program: the app's windows
// and pinned pictures, the intro cards, the capture flows (repaint wait and the common
// end), the permission guards and the engine's entry, when there is one.
#include "App/ScrollCaptureSteps.h"

class AppWindows;
class CaptureFlows;
class CaptureIntroPresenter;
class PermissionGuards;
class PinnedImages;
class ScrollCapture;

class DesktopScrollCaptureSteps final : public ScrollCaptureSteps {
public:
    DesktopScrollCaptureSteps(AppWindows& windows, PinnedImages& pinned, CaptureIntroPresenter& intro,
                              CaptureFlows& flows, PermissionGuards& guards, ScrollCapture* engine);

    QList<QWidget*> contentWindows() override;
    void showIntro(std::function<void()> proceed, std::function<void()> cancel) override;
    void whenScreenRepainted(std::function<void()> action) override;
    QCoro::Task<bool> ensureScreenRecordingPermission() override;
    bool ensureAccessibilityPermission() override;
    QCoro::Task<std::optional<CapturedScreenshot>> runEngine() override;
    void handleCaptured(const CapturedScreenshot& captured) override;

private:
    AppWindows& m_windows;
    PinnedImages& m_pinned;
    CaptureIntroPresenter& m_intro;
    CaptureFlows& m_flows;
    PermissionGuards& m_guards;
    ScrollCapture* m_engine;
};
