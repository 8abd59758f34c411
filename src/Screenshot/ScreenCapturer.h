#pragma once
// The one place where the interactive and the immediate capture take pictures
// of the screen: freezing every screen, grabbing one screen or one window, and
// cutting a selection out of a still. Every picture is in device pixels, as
// many as the screen or the window has, whatever the scale: nothing is
// resampled. Main thread (the screen list comes from the GUI); the platform
// services it calls may also be used from workers.
#include "Platform/ScreenSource.h"
#include "Platform/WindowServer.h"
#include "Screenshot/FrozenScreen.h"

#include <QImage>
#include <QList>
#include <optional>

class ScreenCapturer {
public:
    ScreenCapturer(ScreenSource& screens, WindowServer& windowServer);

    // One still per screen in screen order, without the pointer; screens that
    // cannot be grabbed are left out; empty when none could be.
    QList<FrozenScreen> freezeAllScreens();
    // The whole screen now, with the pointer when asked.
    QImage captureDisplayImage(const ScreenInfo& screen, bool showsCursor);
    // The single window's own pixels: its corners as the window has them
    // (square, unless it is shaped or draws its own alpha).
    QImage captureWindowImage(quint32 windowID, bool showsCursor, bool* fromScreen = nullptr);

    // Cuts a pixel rectangle (origin top-left) out of a still; x, y, width and
    // height are rounded each, the result clipped to the still; null when less
    // than one pixel remains. The cut shares the still's pixels.
    static QImage crop(const QImage& cgImage, const QRectF& pixelRect);

    // The screen that holds a global point: the first whose frame contains it,
    // else the first screen, else none.
    static std::optional<ScreenInfo> screenContaining(const QList<ScreenInfo>& screens, QPointF point);
    // The screen under the pointer, by the same rule.
    std::optional<ScreenInfo> screenUnderPointer() const;
    // round(size x scale) per side, halves away from zero.
    static QSize pixelSize(QSizeF points, qreal scale);
    // The alpha layout of an image in the numbering of the log line
    // "alphaInfo=": 0 none, 1 premultiplied last, 2 premultiplied first,
    // 3 last, 4 first, 5 none skip last, 6 none skip first.
    static int alphaInfo(QImage::Format format);

private:
    // At the display's own size; at points x scale where the display does not say.
    QImage captureImage(const DisplayInfo& display, const ScreenInfo& screen, bool showsCursor);

    ScreenSource& m_screens;
    WindowServer& m_windowServer;
};
