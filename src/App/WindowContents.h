#pragma once
// The views inside the app's windows, and the editor windows: the
// composition root builds each with the services it uses, when the
// coordinator opens the window.
#include "App/AppEnvironment.h"

#include <functional>
#include <memory>

class QImage;
class QWidget;
struct ScreenshotItem;

class WindowContents {
public:
    virtual ~WindowContents() = default;

    virtual QWidget* settingsView(const AppEnvironment& env) = 0;
    virtual QWidget* clipboardHistoryView(const AppEnvironment& env) = 0;
    // onClose: its OK button; onHeightChange: the height its content measured.
    virtual QWidget* onboardingView(const AppEnvironment& env, std::function<void()> onClose,
                                    std::function<void(double)> onHeightChange) = 0;
    virtual std::unique_ptr<QWidget> editorWindow(const QImage& image, const ScreenshotItem& item) = 0;
};
