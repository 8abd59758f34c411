#pragma once
// Window contents a test builds itself; an unset one gives an empty view
// (and no editor window).
#include "App/WindowContents.h"

#include <QWidget>

class FakeWindowContents final : public WindowContents {
public:
    QWidget* settingsView(const AppEnvironment& env) override { return settings ? settings(env) : nullptr; }
    QWidget* clipboardHistoryView(const AppEnvironment&) override { return nullptr; }
    QWidget* onboardingView(const AppEnvironment&, std::function<void()>, std::function<void(double)>) override
    {
        return nullptr;
    }
    std::unique_ptr<QWidget> editorWindow(const QImage& image, const ScreenshotItem& item) override
    {
        return editor ? editor(image, item) : nullptr;
    }

    std::function<QWidget*(const AppEnvironment&)> settings;
    std::function<std::unique_ptr<QWidget>(const QImage&, const ScreenshotItem&)> editor;
};
