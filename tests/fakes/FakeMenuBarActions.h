#pragma once
// Records every action the panel asks of its host, in order.
#include "MenuBar/MenuBarActions.h"
#include "Models/ScreenshotItem.h"

#include <QStringList>

class FakeMenuBarActions {
public:
    MenuBarActions actions()
    {
        MenuBarActions a;
        auto record = [this](const char* name) { return [this, name] { calls << QString::fromLatin1(name); }; };
        a.captureInteractive = record("captureInteractive");
        a.captureFullScreen = record("captureFullScreen");
        a.captureScrollingWindow = record("captureScrollingWindow");
        a.showClipboardHistory = record("showClipboardHistory");
        a.openSettings = record("openSettings");
        a.quit = record("quit");
        a.openEditor = [this](const QImage& image, const ScreenshotItem& item) {
            calls << QStringLiteral("openEditor");
            editorImages << image;
            editorItems << item;
        };
        a.copyScreenshotImage = [this](const QImage& image) {
            calls << QStringLiteral("copyScreenshotImage");
            copiedImages << image;
        };
        a.notify = [this](const QString& text) {
            calls << QStringLiteral("notify");
            notices << text;
        };
        return a;
    }
    // The dismiss hook of the panel, recorded in the same sequence.
    std::function<void()> dismiss()
    {
        return [this] { calls << QStringLiteral("dismiss"); };
    }

    QStringList calls;
    QList<QImage> editorImages;
    QList<ScreenshotItem> editorItems;
    QList<QImage> copiedImages;
    QStringList notices;
};
