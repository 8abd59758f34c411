#pragma once
#include "Platform/WindowServer.h"

#include <QColor>

// A window list set by the test; window pictures are filled with one colour,
// as large as asked or, when not asked, as the window (pixelsPerPoint pixels
// to a point, rounded).
class FakeWindowServer final : public WindowServer {
public:
    std::optional<QList<WindowInfo>> windowList() override
    {
        if (!available)
            return std::nullopt;
        return windows;
    }
    std::optional<qint32> ownerPID(quint32 window) override
    {
        for (const WindowInfo& w : windows)
            if (w.number == window)
                return w.ownerPID;
        return std::nullopt;
    }
    QImage windowImage(quint32 window, QSize pixelSize, bool showsCursor, QString* error = nullptr,
                       bool* fromScreen = nullptr) override
    {
        if (fromScreen)
            *fromScreen = cutFromScreen;
        requestedSizes.append(pixelSize);
        cursorRequests.append(showsCursor);
        if (failingWindows.contains(window)) {
            if (error)
                *error = QStringLiteral("grab failed");
            return {};
        }
        QSize size = pixelSize;
        for (const WindowInfo& w : windows)
            if (!size.isValid() && w.number == window)
                size = QSize(qRound(w.bounds.width() * pixelsPerPoint), qRound(w.bounds.height() * pixelsPerPoint));
        QImage image(size, QImage::Format_RGB32);
        image.fill(color);
        return image;
    }

    bool available = true;
    QList<WindowInfo> windows;
    QList<quint32> failingWindows;
    bool cutFromScreen = false;
    QColor color = Qt::blue;
    qreal pixelsPerPoint = 1.0;
    QList<QSize> requestedSizes;
    QList<bool> cursorRequests;
};
