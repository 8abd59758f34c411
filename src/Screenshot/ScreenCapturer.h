#pragma once
// The one place where the interactive and the immediate capture take pictures
// of the screen: freezing every screen, grabbing one screen or one window, and
// the two image operations used after a selection (cut-out, rounded corners).
// Every picture is in device pixels. Main thread (the screen list comes from
// the GUI); the platform services it calls may also be used from workers.
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
    // The whole screen now, at its scale, with the pointer when asked.
    QImage captureDisplayImage(const ScreenInfo& screen, bool showsCursor);
    // The single window at the scale of its screen, corners made transparent.
    QImage captureWindowImage(quint32 windowID, bool showsCursor);

    // Cuts a pixel rectangle (origin top-left) out of a still; x, y, width and
    // height are rounded each, the result clipped to the still; null when less
    // than one pixel remains. The cut shares the still's pixels.
    static QImage crop(const QImage& cgImage, const QRectF& pixelRect);
    // A copy with transparent rounded corners of 10 points (at most half the
    // shorter side); the input itself where that is not possible.
    static QImage roundedWindowCorners(const QImage& image, qreal scale);

    // The screen that holds a global point: the first whose frame contains it,
    // else the first screen, else none.
    static std::optional<ScreenInfo> screenContaining(const QList<ScreenInfo>& screens, QPointF point);
    // The screen under the pointer, by the same rule.
    std::optional<ScreenInfo> screenUnderPointer() const;
    // The scale for a window with these bounds (global points).
    static qreal backingScale(const QRectF& windowBounds, const QList<ScreenInfo>& screens);
    // round(size x scale) per side, halves away from zero.
    static QSize pixelSize(QSizeF points, qreal scale);
    // The alpha layout of an image in the numbering of the log line
    // "alphaInfo=": 0 none, 1 premultiplied last, 2 premultiplied first,
    // 3 last, 4 first, 5 none skip last, 6 none skip first.
    static int alphaInfo(QImage::Format format);

private:
    QImage captureImage(const DisplayInfo& display, QSizeF points, qreal scale, bool showsCursor);

    ScreenSource& m_screens;
    WindowServer& m_windowServer;
};
