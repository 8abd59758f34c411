#include "Screenshot/WindowGrabber.h"

#include "Platform/ScreenSource.h"
#include "Platform/WindowRedirector.h"
#include "Platform/WindowServer.h"
#include "Screenshot/GrabExclusions.h"

#include <QPainter>
#include <cmath>

namespace {

// Like the window server's own test: right and bottom edges are outside.
bool containsPoint(const QRectF& r, const QPointF& p)
{
    return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() && p.y() < r.top() + r.height();
}

// The smallest whole-pixel rectangle containing `area` (in a picture's own
// points) at sx, sy pixels per point.
QRect pixelRect(const QRectF& area, qreal sx, qreal sy)
{
    const QRectF pixels(area.x() * sx, area.y() * sy, area.width() * sx, area.height() * sy);
    return QRect(QPoint(int(std::floor(pixels.left())), int(std::floor(pixels.top()))),
                 QPoint(int(std::ceil(pixels.right())) - 1, int(std::ceil(pixels.bottom())) - 1));
}

// The part of a picture that shows `area` (in the picture's own points, its
// size in points being `points`): the smallest whole-pixel rectangle containing
// it, clipped to the picture; null when nothing is left.
QImage cropPoints(const QImage& picture, const QSizeF& points, const QRectF& area)
{
    if (picture.isNull() || points.width() <= 0 || points.height() <= 0)
        return {};
    const QRect whole = pixelRect(area, picture.width() / points.width(), picture.height() / points.height())
                            .intersected(picture.rect());
    if (whole.isEmpty())
        return {};
    return picture.copy(whole);
}

// `area` (in the picture's own points) reaching past the picture: the
// picture's part of it, transparent beyond, in a frame of the whole area's
// size; null when the picture has nothing of it.
QImage placePoints(const QImage& picture, const QSizeF& points, const QRectF& area)
{
    if (picture.isNull() || points.width() <= 0 || points.height() <= 0)
        return {};
    const QRect whole = pixelRect(area, picture.width() / points.width(), picture.height() / points.height());
    const QRect inside = whole.intersected(picture.rect());
    if (whole.isEmpty() || inside.isEmpty())
        return {};
    QImage frame(whole.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(inside.topLeft() - whole.topLeft(), picture, inside);
    painter.end();
    return frame;
}

} // namespace

WindowGrabber::WindowGrabber(std::shared_ptr<WindowServer> windows, std::shared_ptr<ScreenSource> screens,
                             std::shared_ptr<WindowRedirector> redirector,
                             std::shared_ptr<const GrabExclusions> exclusions)
    : m_windows(std::move(windows))
    , m_screens(std::move(screens))
    , m_redirector(std::move(redirector))
    , m_exclusions(std::move(exclusions))
{
}

QImage WindowGrabber::image(const QRectF& region, qreal scale) const
{
    if (!region.isValid() || scale <= 0)
        return {};
    const QSet<quint32> excluded = m_exclusions->ids();
    const QPointF centre = region.center();

    // The window that shows the region.
    if (m_windows) {
        if (const std::optional<QList<WindowInfo>> list = m_windows->windowList()) {
            for (const WindowInfo& w : *list) {
                if (excluded.contains(w.number) || !containsPoint(w.bounds, centre))
                    continue;
                const bool inside = w.bounds.contains(region);
                if (!inside && excluded.isEmpty())
                    break; // the region spans several windows: the display shows it
                if (!excluded.isEmpty() && m_redirector)
                    m_redirector->keep(w.number);
                const QSize pixelSize(int(w.bounds.width() * scale), int(w.bounds.height() * scale));
                const QImage picture = m_windows->windowImage(w.number, pixelSize, false);
                const QRectF area = region.translated(-w.bounds.topLeft());
                if (inside)
                    return cropPoints(picture, w.bounds.size(), area);
                // The display would show our windows: the window's own
                // picture, and nothing where the region leaves it.
                return placePoints(picture, w.bounds.size(), area);
            }
        }
    }

    // The display under the region's centre (else the first one).
    if (!m_screens)
        return {};
    const ShareableDisplays content = m_screens->shareableDisplays();
    if (!content.ok || content.displays.isEmpty())
        return {};
    auto framePoints = [scale](const DisplayInfo& d) {
        return QRectF(d.pixelRect.x() / scale, d.pixelRect.y() / scale, d.pixelRect.width() / scale,
                      d.pixelRect.height() / scale);
    };
    DisplayInfo display = content.displays.first();
    for (const DisplayInfo& d : content.displays) {
        if (containsPoint(framePoints(d), centre)) {
            display = d;
            break;
        }
    }
    const QRectF frame = framePoints(display);
    const QSize pixelSize(int(scale * frame.width()), int(scale * frame.height()));
    const QImage picture = m_screens->captureDisplay(display, pixelSize, false);
    return cropPoints(picture, frame.size(), region.translated(-frame.topLeft()));
}
