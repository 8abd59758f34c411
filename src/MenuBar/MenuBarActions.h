#pragma once
// What the panel and its parts ask of the application: the host that shows the
// panel (the tray shell) fills these in with the coordinator's operations.
// An action left empty does nothing, so views and tests need no coordinator.
#include <QImage>
#include <QString>
#include <functional>

struct ScreenshotItem;

struct MenuBarActions {
    std::function<void()> captureInteractive;
    std::function<void()> captureFullScreen;
    std::function<void()> captureScrollingWindow;
    std::function<void(const QImage&, const ScreenshotItem&)> openEditor;
    std::function<void()> showClipboardHistory;
    std::function<void()> openSettings;
    std::function<void()> quit;
    // Puts a screenshot's image on the clipboard as the app's own write, so the
    // clipboard monitor does not record it (Pasteboard::copyImageWithPNG, then
    // the monitor's lastChangeCount set to the pasteboard's change count).
    std::function<void(const QImage&)> copyScreenshotImage;
    // Tells the user briefly that something asked for did not work.
    std::function<void(const QString& text)> notify;
};
