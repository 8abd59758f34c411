#include "Screenshot/CaptureOverlayView.h"

#include "Localization/Localizer.h"
#include "Screenshot/OverlayVeil.h"
#include "Screenshot/ScreenCapturer.h"
#include "Ui/ExactPointer.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
QColor white(qreal alpha) { return QColor::fromRgbF(1, 1, 1, float(alpha)); }
QColor black(qreal alpha) { return QColor::fromRgbF(0, 0, 0, float(alpha)); }
QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(float(alpha));
    return c;
}
}

CaptureOverlayView::CaptureOverlayView(const FrozenScreen& frozen, const QList<DetectedWindow>& windows,
                                       std::function<void(const OverlaySelectionResult&)> onResult,
                                       std::function<void()> onCancel, QWidget* parent)
    : QWidget(parent),
      m_frozen(frozen),
      m_allWindows(windows),
      m_geometry(frozen.screen.frame.size(), frozen.scale,
                 OverlayGeometry::localWindows(windows, frozen.screen.frame)),
      m_onResult(std::move(onResult)),
      m_onCancel(std::move(onCancel)),
      m_pointer(new ExactPointer(*this))
{
    resize(frozen.screen.frame.size().toSize());
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& CaptureOverlayView::dimmedStill()
{
    if (m_dimmed.isNull())
        m_dimmed = OverlayVeil::dimmed(m_frozen.cgImage, dimAlpha);
    return m_dimmed;
}

void CaptureOverlayView::setDimmedStill(QImage dimmed)
{
    if (dimmed.size() == m_frozen.cgImage.size())
        m_dimmed = std::move(dimmed);
}

void CaptureOverlayView::pointerAt(QPointF position)
{
    m_mouseInside = true;
    m_mousePoint = position;
    m_hoveredWindow = m_isDragging ? std::nullopt : m_geometry.windowAt(position);
    update();
}

void CaptureOverlayView::enterEvent(QEnterEvent* event) { pointerAt(m_pointer->position(*event)); }

void CaptureOverlayView::leaveEvent(QEvent*)
{
    m_mouseInside = false;
    update();
}

void CaptureOverlayView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF position = m_pointer->position(*event);
    if (!m_dragStart) {
        pointerAt(position);
        return;
    }
    m_dragCurrent = m_mousePoint = position;
    m_mouseInside = true;
    if (OverlayGeometry::travelledFarEnough(*m_dragStart, position))
        m_isDragging = true;
    update();
}

void CaptureOverlayView::mousePressEvent(QMouseEvent* event)
{
    // Only the left button selects; the others do nothing.
    if (event->button() != Qt::LeftButton)
        return;
    m_dragStart = m_dragCurrent = m_mousePoint = m_pointer->position(*event);
    m_isDragging = false;
    m_mouseInside = true;
    update();
}

void CaptureOverlayView::mouseReleaseEvent(QMouseEvent* event)
{
    // A release without a press on this view (the end of the click that
    // started the capture, or one begun elsewhere) selects nothing.
    if (event->button() != Qt::LeftButton || !m_dragStart)
        return;
    const QPointF position = m_pointer->position(*event);
    m_mousePoint = position;
    const QPointF start = *m_dragStart;
    const bool dragging = m_isDragging;
    m_dragStart.reset();
    m_dragCurrent.reset();
    m_isDragging = false;
    deliver(dragging ? m_geometry.dragSelection(start, position) : m_geometry.click(position));
}

void CaptureOverlayView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (m_onCancel)
            m_onCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CaptureOverlayView::deliver(const OverlayGeometry::Choice& choice)
{
    if (m_onResult)
        m_onResult(OverlaySelectionResult{m_frozen, choice.pixelRect, choice.kind, choice.windowID});
}

qreal CaptureOverlayView::fontPoints(qreal viewPoints) const
{
    // Sizes are given in screen points; fonts take typographic points.
    const qreal dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    return viewPoints * 72.0 / dpi;
}

void CaptureOverlayView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!p.isActive())
        return;
    const QRectF bounds(QPointF(0, 0), m_geometry.size());
    // The veiled still, and the plain one where the highlight lifts the veil.
    p.drawImage(bounds, dimmedStill());
    const std::optional<QRectF> highlight =
        m_geometry.highlightRect(m_dragStart, m_dragCurrent, m_isDragging, m_hoveredWindow);
    if (highlight) {
        p.save();
        p.setClipRect(*highlight);
        p.drawImage(bounds, m_frozen.cgImage);
        p.restore();
    }

    p.setRenderHint(QPainter::Antialiasing);
    if (m_isDragging && m_dragStart && m_dragCurrent) {
        const QRectF r = m_geometry.spanned(*m_dragStart, *m_dragCurrent);
        if (m_geometry.shouldSnapToFullScreen(r)) {
            drawSelection(p, bounds, true);
        } else {
            drawSelection(p, r, false);
            drawLoupe(p, *m_dragCurrent);
        }
    } else if (m_mouseInside) {
        if (m_hoveredWindow)
            drawWindowHighlight(p, m_hoveredWindow->frameLocal);
        drawLoupe(p, m_mousePoint);
    }
    ++m_paintCount;
}

void CaptureOverlayView::drawSelection(QPainter& p, const QRectF& rect, bool fullScreen)
{
    p.setPen(QPen(accent(), fullScreen ? 3.0 : 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    if (fullScreen)
        drawBadge(p, Localizer::t(QStringLiteral("Ganzer Bildschirm")), rect.center(), true);
    else
        drawBadge(p, m_geometry.sizeText(rect.size()), m_geometry.badgeCentreBelow(rect), true);
}

void CaptureOverlayView::drawWindowHighlight(QPainter& p, const QRectF& frame)
{
    const QRectF visible = frame.intersected(QRectF(QPointF(0, 0), m_geometry.size()));
    p.setPen(QPen(withAlpha(accent(), 0.9), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(visible.adjusted(1, 1, -1, -1));
    drawBadge(p, Localizer::t(QStringLiteral("Fenster")) + QStringLiteral("  ") + m_geometry.sizeText(frame.size()),
              m_geometry.badgeCentreBelow(frame), true);
}

void CaptureOverlayView::drawBadge(QPainter& p, const QString& text, QPointF near, bool centred)
{
    QFont font = this->font();
    font.setPointSizeF(fontPoints(11.5));
    font.setWeight(QFont::Medium);
    const QFontMetricsF metrics(font);
    const QSizeF textSize(metrics.horizontalAdvance(text), metrics.height());
    const QSizeF capsuleSize(textSize.width() + 20, textSize.height() + 10);
    const QRectF capsule = m_geometry.capsule(near, capsuleSize, centred);
    const qreal radius = capsule.height() / 2;
    p.setPen(QPen(white(0.12), 1));
    p.setBrush(black(0.78));
    p.drawRoundedRect(capsule, radius, radius);
    p.setFont(font);
    p.setPen(white(1));
    p.drawText(QRectF(capsule.x() + 10, capsule.y() + 5, textSize.width(), textSize.height()),
               Qt::AlignLeft | Qt::AlignVCenter, text);
}

void CaptureOverlayView::drawLoupe(QPainter& p, QPointF at)
{
    const QRectF square = m_geometry.loupeRect(at);
    const QPointF c = square.center();
    const qreal half = OverlayGeometry::loupeGridPixels * OverlayGeometry::loupeZoom / 2; // 76
    const qreal scale = m_geometry.scale();

    p.save();
    QPainterPath circle;
    circle.addEllipse(square);
    p.setClipPath(circle);
    p.fillRect(square, Qt::black);
    const QPoint origin = OverlayGeometry::loupeSourceOrigin(at, scale, m_frozen.cgImage.size());
    const QImage cut = ScreenCapturer::crop(
        m_frozen.cgImage, QRectF(origin, QSizeF(OverlayGeometry::loupeGridPixels, OverlayGeometry::loupeGridPixels)));
    if (!cut.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, false);
        p.drawImage(m_geometry.loupeImageRect(at, origin), cut);
    }
    p.setPen(QPen(white(0.12), 0.5));
    for (qreal x = c.x() - half; x <= c.x() + half + 0.1; x += OverlayGeometry::loupeZoom)
        p.drawLine(QPointF(x, c.y() - half), QPointF(x, c.y() + half));
    for (qreal y = c.y() - half; y <= c.y() + half + 0.1; y += OverlayGeometry::loupeZoom)
        p.drawLine(QPointF(c.x() - half, y), QPointF(c.x() + half, y));
    p.setPen(QPen(accent(), 1.5));
    p.drawLine(QPointF(c.x() - 8, c.y()), QPointF(c.x() + 8, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - 8), QPointF(c.x(), c.y() + 8));
    p.setPen(QPen(withAlpha(accent(), 0.5), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white(0.9), 2));
    p.drawEllipse(square.adjusted(1, 1, -1, -1));
    p.setPen(QPen(accent(), 1));
    p.drawEllipse(square.adjusted(2.5, 2.5, -2.5, -2.5));

    const int ix = int(std::floor(at.x() * scale));
    const int iy = int(std::floor(at.y() * scale));
    drawInfoBadge(p, QStringLiteral("%1, %2").arg(ix).arg(iy), OverlayGeometry::pixelColor(m_frozen.cgImage, ix, iy),
                  QPointF(c.x(), square.bottom() + 18));
}

void CaptureOverlayView::drawInfoBadge(QPainter& p, const QString& coord,
                                       const std::optional<std::pair<QColor, QString>>& colour, QPointF near)
{
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    if (!QFontDatabase::hasFamily(mono.family()))
        mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(fontPoints(11));
    QFont bold = mono;
    bold.setBold(true);
    const QFontMetricsF monoMetrics(mono), boldMetrics(bold);
    const qreal coordWidth = monoMetrics.horizontalAdvance(coord);
    const qreal coordHeight = monoMetrics.height();
    qreal contentWidth = coordWidth;
    if (colour)
        contentWidth += boldMetrics.horizontalAdvance(colour->second) + 22;
    const qreal height = coordHeight <= 10 ? 20 : coordHeight + 10;
    const QRectF capsule = m_geometry.capsule(near, QSizeF(contentWidth + 20, height), true);
    p.setPen(QPen(white(0.1), 1));
    p.setBrush(black(0.78));
    p.drawRoundedRect(capsule, height / 2, height / 2);

    const qreal midY = capsule.center().y();
    p.setFont(mono);
    p.setPen(white(0.6));
    p.drawText(QRectF(capsule.x() + 10, midY - coordHeight / 2, coordWidth, coordHeight), Qt::AlignLeft, coord);
    if (colour) {
        const QRectF swatch(capsule.x() + 10 + coordWidth + 7, midY - 5, 10, 10);
        p.setPen(QPen(white(0.5), 0.5));
        p.setBrush(colour->first);
        p.drawRoundedRect(swatch, 2.5, 2.5);
        p.setFont(bold);
        p.setPen(white(1));
        const qreal hexHeight = boldMetrics.height();
        p.drawText(QRectF(swatch.x() + 15, midY - hexHeight / 2, boldMetrics.horizontalAdvance(colour->second) + 1,
                          hexHeight),
                   Qt::AlignLeft, colour->second);
    }
}
