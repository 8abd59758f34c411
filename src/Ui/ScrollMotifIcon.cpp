#include "Ui/ScrollMotifIcon.h"

#include "Ui/FrameClock.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QtMath>
#include <cmath>

ScrollMotifIcon::ScrollMotifIcon(const QColor& color, QWidget* parent)
    : QWidget(parent)
    , m_color(color)
    , m_frameTimer(new QTimer(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // About one frame per display refresh, only while shown.
    m_frameTimer->setInterval(16);
    connect(m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void ScrollMotifIcon::setColor(const QColor& color)
{
    m_color = color;
    update();
}

qreal ScrollMotifIcon::phaseAt(double secondsSinceEpoch)
{
    return std::fmod(secondsSinceEpoch, 2.4) / 2.4;
}

void ScrollMotifIcon::draw(QPainter& painter, const QSizeF& size, qreal phase, const QColor& color)
{
    const qreal k = qMin(size.width(), size.height()) / 24.0;
    painter.save();
    painter.translate((size.width() - 24 * k) / 2, (size.height() - 24 * k) / 2);
    painter.scale(k, k);
    drawDesignBox(painter, phase, color);
    painter.restore();
}

void ScrollMotifIcon::drawDesignBox(QPainter& painter, qreal phase, const QColor& color)
{
    const qreal s = (1 - std::cos(2 * M_PI * phase)) / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    // Scroll track.
    QColor faint = color;
    faint.setAlphaF(color.alphaF() * 0.28);
    QPen pen(faint, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawLine(QPointF(18.6, 10.8), QPointF(18.6, 17.4));

    // Text lines, moving up by up to 6 units inside their clip.
    painter.save();
    painter.setClipRect(QRectF(3.8, 9.6, 12.1, 9.1));
    static constexpr qreal ys[8] = {11, 13.4, 15.8, 18.2, 20.6, 23, 25.4, 27.8};
    static constexpr qreal ends[8] = {15, 12.6, 15, 12, 14, 12.6, 15, 12};
    const qreal d = -6 * s;
    QPainterPath lines;
    for (int i = 0; i < 8; ++i) {
        lines.moveTo(6, ys[i] + d);
        lines.lineTo(ends[i], ys[i] + d);
    }
    pen = QPen(color, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(lines);
    painter.restore();

    // Scroll thumb: grows from 3 to 3.9 units while its top moves 11.8 -> 14.15.
    const qreal h = 3 * (1 + 0.3 * s);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(17.8, 11.8 + 2.8 * s - (h - 3) / 2, 1.6, h), 0.8, 0.8);
    painter.fillPath(thumb, color);

    // Window outline.
    QPainterPath outline;
    outline.addRoundedRect(QRectF(3, 4.5, 18, 15), 3.4, 3.4);
    pen = QPen(color, 1.25, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(outline);

    // Title-bar dots.
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (qreal x : {6.08, 8.38, 10.68})
        painter.drawEllipse(QRectF(x, 7.38, 1.24, 1.24));
    painter.restore();
}

void ScrollMotifIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    draw(painter, size(), phaseAt(FrameClock::now()), m_color);
}

void ScrollMotifIcon::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_frameTimer->start();
}

void ScrollMotifIcon::hideEvent(QHideEvent* event)
{
    m_frameTimer->stop();
    QWidget::hideEvent(event);
}
