#pragma once
// Putting content on the system clipboard from anywhere in the app. Whoever
// writes must afterwards set ClipboardMonitor::setLastChangeCount to the count
// returned, so that the app's own copies stay out of the clipboard history.
#include <QImage>

class ClipboardService;

class Pasteboard {
public:
    // Replaces the content with the image: its PNG data as "image/png" (when it
    // encodes) plus the image itself. Returns the change count after the write.
    static qint64 copyImageWithPNG(ClipboardService& clipboard, const QImage& image);
};
