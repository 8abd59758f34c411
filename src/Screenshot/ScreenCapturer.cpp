#include "Screenshot/ScreenCapturer.h"

#include "Debug/DebugLog.h"

#include <QColorSpace>
#include <cmath>

ScreenCapturer::ScreenCapturer(ScreenSource& screens, WindowServer& windowServer)
    : m_screens(screens), m_windowServer(windowServer)
{
}

QSize ScreenCapturer::pixelSize(QSizeF points, qreal scale)
{
    return QSize(int(std::round(points.width() * scale)), int(std::round(points.height() * scale)));
}

QImage ScreenCapturer::captureImage(const DisplayInfo& display, const ScreenInfo& screen, bool showsCursor)
{
    // A screen's logical size is rounded at a fractional scale: its pixels
    // are what the display has, not what the rounded size times the scale gives.
    const QSize pixels =
        display.pixelRect.isValid() ? display.pixelRect.size() : pixelSize(screen.frame.size(), screen.scale);
    return m_screens.captureDisplay(display, pixels, showsCursor);
}

QList<FrozenScreen> ScreenCapturer::freezeAllScreens()
{
    const ShareableDisplays content = m_screens.shareableDisplays();
    if (!content.ok)
        return {};
    QList<FrozenScreen> frozen;
    // One after another: each still shows the screen as it was when asked.
    for (const ScreenInfo& screen : m_screens.screens()) {
        if (!screen.displayID)
            continue;
        const auto display = std::find_if(content.displays.cbegin(), content.displays.cend(),
                                          [&](const DisplayInfo& d) { return d.displayID == *screen.displayID; });
        if (display == content.displays.cend())
            continue;
        QImage image = captureImage(*display, screen, false);
        if (!image.isNull())
            frozen.append(FrozenScreen{screen, image, screen.scale});
    }
    return frozen;
}

QImage ScreenCapturer::captureDisplayImage(const ScreenInfo& screen, bool showsCursor)
{
    const ShareableDisplays content = m_screens.shareableDisplays();
    if (!content.ok || !screen.displayID)
        return {};
    for (const DisplayInfo& display : content.displays)
        if (display.displayID == *screen.displayID)
            return captureImage(display, screen, showsCursor);
    return {};
}

QImage ScreenCapturer::captureWindowImage(quint32 windowID, bool showsCursor, bool* fromScreen)
{
    const std::optional<QList<WindowInfo>> windows = m_windowServer.windowList();
    if (!windows) {
        DebugLog::write(QStringLiteral("captureWindowImage: SCShareableContent nicht verfuegbar"));
        return {};
    }
    const auto window = std::find_if(windows->cbegin(), windows->cend(),
                                     [&](const WindowInfo& w) { return w.number == windowID; });
    if (window == windows->cend()) {
        DebugLog::write(QStringLiteral("captureWindowImage: windowID %1 nicht in SCShareableContent gefunden").arg(windowID));
        return {};
    }
    // Its own size: the window's pixels are the picture, never resampled.
    const QImage image = m_windowServer.windowImage(windowID, QSize(), showsCursor, nullptr, fromScreen);
    if (image.isNull()) {
        DebugLog::write(QStringLiteral("captureWindowImage: SCScreenshotManager.captureImage fehlgeschlagen"));
        return {};
    }
    DebugLog::write(QStringLiteral("captureWindowImage: roh %1x%2 alphaInfo=%3")
                        .arg(image.width())
                        .arg(image.height())
                        .arg(alphaInfo(image.format())));
    return image;
}

QImage ScreenCapturer::crop(const QImage& cgImage, const QRectF& pixelRect)
{
    // A rectangle that is not a number (or beyond any still) cuts nothing.
    const qreal limit = 1e9;
    for (const qreal v : {pixelRect.x(), pixelRect.y(), pixelRect.width(), pixelRect.height()})
        if (!std::isfinite(v) || std::abs(v) > limit)
            return {};
    const QRect rounded(int(std::round(pixelRect.x())), int(std::round(pixelRect.y())),
                        int(std::round(pixelRect.width())), int(std::round(pixelRect.height())));
    const QRect cut = rounded.intersected(cgImage.rect());
    if (cut.width() < 1 || cut.height() < 1)
        return {};
    // A view into the still's buffer; the still stays alive while the cut does.
    const int bytesPerPixel = cgImage.depth() / 8;
    if (bytesPerPixel < 1)
        return cgImage.copy(cut);
    auto* keeper = new QImage(cgImage);
    const uchar* start = keeper->constBits() + qsizetype(cut.y()) * keeper->bytesPerLine() + cut.x() * bytesPerPixel;
    QImage view(start, cut.width(), cut.height(), keeper->bytesPerLine(), keeper->format(),
                [](void* info) { delete static_cast<QImage*>(info); }, keeper);
    view.setColorSpace(cgImage.colorSpace());
    return view;
}

std::optional<ScreenInfo> ScreenCapturer::screenContaining(const QList<ScreenInfo>& screens, QPointF point)
{
    for (const ScreenInfo& screen : screens) {
        const QRectF& f = screen.frame;
        if (point.x() >= f.left() && point.x() < f.right() && point.y() >= f.top() && point.y() < f.bottom())
            return screen;
    }
    if (screens.isEmpty())
        return std::nullopt;
    return screens.first();
}

std::optional<ScreenInfo> ScreenCapturer::screenUnderPointer() const
{
    return screenContaining(m_screens.screens(), m_screens.pointerPosition());
}

int ScreenCapturer::alphaInfo(QImage::Format format)
{
    switch (format) {
    case QImage::Format_ARGB32_Premultiplied:
        return 2;
    case QImage::Format_ARGB32:
        return 4;
    case QImage::Format_RGB32:
        return 6;
    case QImage::Format_RGBA8888_Premultiplied:
        return 1;
    case QImage::Format_RGBA8888:
        return 3;
    case QImage::Format_RGBX8888:
        return 5;
    default:
        return 0;
    }
}
