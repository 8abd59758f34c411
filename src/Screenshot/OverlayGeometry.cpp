#include "Screenshot/OverlayGeometry.h"

#include <cmath>

namespace {
// Half-open, like the platform's point-in-rectangle test.
bool holds(const QRectF& r, QPointF p)
{
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}
}

OverlayGeometry::OverlayGeometry(QSizeF size, qreal scale, QList<LocalWindow> windows)
    : m_size(size), m_scale(scale), m_windows(std::move(windows))
{
}

QList<OverlayGeometry::LocalWindow> OverlayGeometry::localWindows(const QList<DetectedWindow>& windows,
                                                                  const QRectF& screenFrame)
{
    QList<LocalWindow> local;
    const QRectF bounds(QPointF(0, 0), screenFrame.size());
    for (const DetectedWindow& w : windows) {
        const QRectF frame = w.boundsCG.translated(-screenFrame.topLeft());
        if (frame.intersects(bounds))
            local.append({w, frame});
    }
    return local;
}

std::optional<OverlayGeometry::LocalWindow> OverlayGeometry::windowAt(QPointF point) const
{
    for (const LocalWindow& w : m_windows)
        if (holds(w.frameLocal, point))
            return w;
    return std::nullopt;
}

bool OverlayGeometry::travelledFarEnough(QPointF start, QPointF current)
{
    return std::abs(current.x() - start.x()) >= minDragSize || std::abs(current.y() - start.y()) >= minDragSize;
}

QRectF OverlayGeometry::spanned(QPointF a, QPointF b) const
{
    const QRectF r(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                   QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
    const QRectF cut = r.intersected(QRectF(QPointF(0, 0), m_size));
    return cut.isValid() ? cut : QRectF();
}

bool OverlayGeometry::shouldSnapToFullScreen(const QRectF& r) const
{
    const qreal W = m_size.width(), H = m_size.height();
    const qreal m = std::max(std::min(W, H) * 0.02, 8.0);
    if (r.left() <= m && r.top() <= m && W - r.right() <= m && H - r.bottom() <= m)
        return true;
    return r.width() >= W * fullCoverageRatio && r.height() >= H * fullCoverageRatio;
}

QRectF OverlayGeometry::toPixels(const QRectF& p) const
{
    return QRectF(p.x() * m_scale, p.y() * m_scale, p.width() * m_scale, p.height() * m_scale);
}

OverlayGeometry::Choice OverlayGeometry::wholeScreen() const
{
    return {QRectF(0, 0, m_size.width() * m_scale, m_size.height() * m_scale), CaptureKind::fullScreen, std::nullopt};
}

OverlayGeometry::Choice OverlayGeometry::dragSelection(QPointF start, QPointF end) const
{
    const QRectF r = spanned(start, end);
    if (r.width() < minDragSize || r.height() < minDragSize)
        return click(end);
    if (shouldSnapToFullScreen(r))
        return wholeScreen();
    return {toPixels(r), CaptureKind::area, std::nullopt};
}

OverlayGeometry::Choice OverlayGeometry::click(QPointF point) const
{
    if (const std::optional<LocalWindow> w = windowAt(point))
        return {toPixels(w->frameLocal), CaptureKind::window, w->source.windowID};
    return wholeScreen();
}

std::optional<QRectF> OverlayGeometry::highlightRect(std::optional<QPointF> dragStart, std::optional<QPointF> dragCurrent,
                                                     bool dragging, const std::optional<LocalWindow>& hovered) const
{
    const QRectF bounds(QPointF(0, 0), m_size);
    if (dragging && dragStart && dragCurrent) {
        const QRectF r = spanned(*dragStart, *dragCurrent);
        return shouldSnapToFullScreen(r) ? bounds : r;
    }
    if (hovered)
        return hovered->frameLocal.intersected(bounds);
    return std::nullopt;
}

QString OverlayGeometry::sizeText(QSizeF points) const
{
    return QStringLiteral("%1 × %2")
        .arg(qint64(std::round(points.width() * m_scale)))
        .arg(qint64(std::round(points.height() * m_scale)));
}

QPointF OverlayGeometry::badgeCentreBelow(const QRectF& rect) const
{
    return QPointF(rect.center().x(), std::min(rect.bottom() + 16, m_size.height() - 18));
}

QRectF OverlayGeometry::capsule(QPointF near, QSizeF s, bool centred) const
{
    qreal x = centred ? near.x() - s.width() / 2 : near.x();
    qreal y = near.y() - s.height() / 2;
    x = std::min(std::max(x, 4.0), m_size.width() - s.width() - 4);
    y = std::min(std::max(y, 4.0), m_size.height() - s.height() - 4);
    return QRectF(x, y, s.width(), s.height());
}

QRectF OverlayGeometry::loupeRect(QPointF p) const
{
    const qreal R = loupeRadius, d = loupeOffset + loupeRadius;
    const qreal W = m_size.width(), H = m_size.height();
    qreal cx = p.x() + d;
    if (cx + R > W - 4)
        cx = p.x() - d;
    if (cx - R < 4)
        cx = p.x() + d;
    // Above the pointer (smaller y); below where the top is too close.
    qreal cy = p.y() - d;
    if (cy - R < 4)
        cy = p.y() + d;
    if (cy + R > H - 4)
        cy = p.y() - d;
    return QRectF(cx - R, cy - R, 2 * R, 2 * R);
}

QPoint OverlayGeometry::loupeSourceOrigin(QPointF p, qreal scale, QSize still)
{
    const qreal half = loupeGridPixels / 2.0;
    auto axis = [&](qreal v, int extent) {
        const int start = int(std::round(v - half));
        return start <= 0 ? 0 : std::min(start, std::max(extent - loupeGridPixels, 0));
    };
    return QPoint(axis(p.x() * scale, still.width()), axis(p.y() * scale, still.height()));
}

QRectF OverlayGeometry::loupeImageRect(QPointF p, QPoint origin) const
{
    const QPointF c = loupeRect(p).center();
    const qreal side = loupeGridPixels * loupeZoom, half = loupeGridPixels / 2.0;
    const qreal px = p.x() * m_scale, py = p.y() * m_scale;
    return QRectF(c.x() - side / 2 - (px - origin.x() - half) * loupeZoom,
                  c.y() - side / 2 - (py - origin.y() - half) * loupeZoom, side, side);
}

std::optional<std::pair<QColor, QString>> OverlayGeometry::pixelColor(const QImage& still, int x, int y)
{
    if (x < 0 || y < 0 || x >= still.width() || y >= still.height())
        return std::nullopt;
    const QRgb p = still.pixel(x, y);
    const QColor colour = QColor::fromRgbF(qRed(p) / 255.0f, qGreen(p) / 255.0f, qBlue(p) / 255.0f, 1.0f);
    return std::make_pair(colour, QString::asprintf("#%02X%02X%02X", qRed(p), qGreen(p), qBlue(p)));
}
