#include "Ui/TooltipWindow.h"

#include "Ui/Theme.h"
#include "Ui/ToolbarShapes.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace {

constexpr qreal textPx = 11.5;
constexpr qreal hPadding = 10;
constexpr qreal vPadding = 5;
constexpr qreal cornerRadius = 7;
// Room around the tip for its shadow (radius 5, 2 down).
constexpr int shadowRoom = 8;

QFont tipFont() { return Theme::font(textPx, QFont::Medium); }

} // namespace

TooltipWindow::TooltipWindow(QWidget* parent)
    // Every hint Qt adds to a tooltip window itself: a differing one makes it
    // recreate the native window, which then lets the mouse in.
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput
                          | Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Zentu.it Tooltip"));
}

QRectF TooltipWindow::tooltipRect(const QString& text, QPointF centre)
{
    const QFontMetricsF fm(tipFont());
    // Never wrapped: the bubble is as wide as its one line.
    const QSizeF bubble(std::ceil(fm.horizontalAdvance(text)) + 2 * hPadding, std::ceil(fm.height()) + 2 * vPadding);
    QRectF r(0, 0, qMax(bubble.width(), arrowWidth), bubble.height() + arrowHeight);
    r.moveCenter(centre);
    return r;
}

QColor TooltipWindow::background() { return QColor::fromRgbF(0.14f, 0.14f, 0.14f, 1.0f); }

void TooltipWindow::place(const QString& text, const QRect& control, const QRect& screen)
{
    m_text = text;
    const QSizeF size = tooltipRect(text, {}).size();
    const qreal controlTop = control.top();
    const qreal controlBottom = control.top() + control.height();
    const qreal midX = control.left() + control.width() / 2.0;

    // Centred 15 below the control; never reaching up into it, whatever the font's height.
    qreal top = std::round(qMax(controlBottom + gapBelowControl - size.height() / 2, controlBottom));
    m_pointsUp = true;
    if (top + size.height() > screen.top() + screen.height() && controlTop - size.height() >= screen.top()) {
        m_pointsUp = false;
        top = std::round(qMin(controlTop - gapBelowControl - size.height() / 2, controlTop - size.height()));
    }
    const qreal left = std::round(qBound<qreal>(screen.left(), midX - size.width() / 2,
                                                qMax<qreal>(screen.left(), screen.left() + screen.width() - size.width())));
    const QRectF tip(left, top, size.width(), size.height());
    // Below its control a new tip starts higher up, but never over the control.
    m_slide = m_pointsUp ? qMin(startOffset, top - controlBottom) : startOffset;

    const QRect frame = tip.adjusted(-shadowRoom, -shadowRoom - m_slide, shadowRoom, shadowRoom).toAlignedRect();
    m_tip = tip.translated(-frame.topLeft());
    m_arrowX = qBound(m_tip.left() + cornerRadius + arrowWidth / 2, midX - frame.left(),
                      m_tip.right() - cornerRadius - arrowWidth / 2);
    if (size.width() < 2 * cornerRadius + arrowWidth)
        m_arrowX = m_tip.center().x();
    setGeometry(frame);
    reshape();
}

void TooltipWindow::setProgress(double progress)
{
    m_progress = qBound(0.0, progress, 1.0);
    update();
}

QRectF TooltipWindow::bubbleAt(qreal lift) const
{
    const QRectF r = m_tip.translated(0, -lift);
    return m_pointsUp ? r.adjusted(0, arrowHeight, 0, 0) : r.adjusted(0, 0, 0, -arrowHeight);
}

QPainterPath TooltipWindow::shapeAt(qreal lift) const
{
    const QRectF r = m_tip.translated(0, -lift);
    QPainterPath shape;
    shape.addRoundedRect(bubbleAt(lift), cornerRadius, cornerRadius);
    const QRectF arrow(m_arrowX - arrowWidth / 2, m_pointsUp ? r.top() : r.bottom() - arrowHeight, arrowWidth,
                       arrowHeight);
    QPainterPath triangle;
    if (m_pointsUp) {
        triangle = ToolbarShapes::tooltipTriangle(arrow);
    } else { // apex at the bottom, pointing down at the control
        triangle.moveTo(arrow.center().x(), arrow.bottom());
        triangle.lineTo(arrow.left(), arrow.top());
        triangle.lineTo(arrow.right(), arrow.top());
        triangle.closeSubpath();
    }
    return shape.united(triangle);
}

void TooltipWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paintBeneath(p, background());
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(m_progress);
    // Without a compositor the tip is cut to its place at rest: it only fades in.
    const qreal lift = isCompositing() ? m_slide * (1.0 - m_progress) : 0.0;
    const QPainterPath shape = shapeAt(lift);

    if (isCompositing()) {
        // A soft shadow 2 points down: a few widening strokes of falling strength.
        const QPainterPath shadow = shape.translated(0, 2);
        for (int i = 5; i >= 1; --i) {
            p.setPen(QPen(QColor::fromRgbF(0, 0, 0, 0.18f / 5), 2.0 * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(shadow);
        }
        p.fillPath(shadow, QColor::fromRgbF(0, 0, 0, 0.18f));
    }
    p.fillPath(shape, background());

    p.setFont(tipFont());
    p.setPen(Qt::white);
    p.drawText(bubbleAt(lift), Qt::AlignCenter | Qt::TextSingleLine, m_text);
}
