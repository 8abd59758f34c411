#pragma once
// Putting content on the system clipboard from anywhere in the app. Whoever
// writes must afterwards hand the result to ClipboardMonitor::ownWrite, so
// that the app's own copies stay out of the clipboard history.
#include "Platform/ClipboardService.h"

#include <QImage>

class Pasteboard {
public:
    // Replaces the content with the image: its PNG data as "image/png" (when it
    // encodes) plus the image itself.
    static ClipboardWrite copyImageWithPNG(ClipboardService& clipboard, const QImage& image);
};
