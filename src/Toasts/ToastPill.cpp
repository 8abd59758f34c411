#include "Toasts/ToastPill.h"

#include "Toasts/ToastModel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

ToastPill::ToastPill(ToastModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
{
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_model, &ToastModel::changed, this, [this] {
        updateGeometry();
        update();
    });
}

QFont ToastPill::symbolFont() const
{
    QFont f = font();
    f.setPixelSize(13);
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont ToastPill::textFont() const
{
    QFont f = font();
    f.setPixelSize(13);
    f.setWeight(QFont::Medium);
    return f;
}

int ToastPill::symbolSize() const
{
    return int(std::ceil(QFontMetricsF(symbolFont()).height()));
}

QSize ToastPill::sizeHint() const
{
    const QFontMetricsF text(textFont());
    // The text keeps its natural width: never wrapped, never cut.
    const qreal contentWidth = symbolSize() + spacing + text.horizontalAdvance(m_model.text());
    const qreal contentHeight = std::max<qreal>(symbolSize(), text.height());
    return QSize(int(std::ceil(contentWidth)) + 2 * (horizontalPadding + outerPadding),
                 int(std::ceil(contentHeight)) + 2 * (verticalPadding + outerPadding));
}

QRectF ToastPill::capsuleRect() const
{
    return QRectF(rect()).adjusted(outerPadding, outerPadding, -outerPadding, -outerPadding);
}

QPainterPath ToastPill::capsulePath() const
{
    const QRectF r = capsuleRect();
    QPainterPath path;
    path.addRoundedRect(r, r.height() / 2, r.height() / 2);
    return path;
}

void ToastPill::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const QRectF capsule = capsuleRect();
    p.fillPath(capsulePath(), QColor::fromRgbF(0, 0, 0, 0.82f));
    // Border drawn inside the shape.
    const QRectF inner = capsule.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.12f), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(inner, inner.height() / 2, inner.height() / 2);

    const QRectF content = capsule.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const int s = symbolSize();
    const QRectF symbolBox(content.left(), content.center().y() - s / 2.0, s, s);
    paintSymbol(p, symbolBox);

    p.setPen(Qt::white);
    p.setFont(textFont());
    const QRectF textBox(symbolBox.right() + spacing, content.top(), content.right() - symbolBox.right() - spacing,
                         content.height());
    p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_model.text());
}

// The few symbols a toast uses, drawn as plain vectors in the text colour.
void ToastPill::paintSymbol(QPainter& p, const QRectF& box) const
{
    const QString& name = m_model.systemImage();
    const QRectF b = box.adjusted(1, 1, -1, -1);
    p.save();
    if (name == QLatin1String("exclamationmark.triangle.fill")) {
        QPainterPath tri;
        tri.moveTo(b.center().x(), b.top());
        tri.lineTo(b.right(), b.bottom());
        tri.lineTo(b.left(), b.bottom());
        tri.closeSubpath();
        p.fillPath(tri, Qt::white);
        p.setPen(QPen(Qt::black, b.width() * 0.12, Qt::SolidLine, Qt::RoundCap));
        const qreal x = b.center().x();
        p.drawLine(QPointF(x, b.top() + b.height() * 0.38), QPointF(x, b.top() + b.height() * 0.68));
        p.drawPoint(QPointF(x, b.top() + b.height() * 0.84));
    } else if (name == QLatin1String("timer")) {
        p.setPen(QPen(Qt::white, b.width() * 0.11));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(b);
        p.setPen(QPen(Qt::white, b.width() * 0.11, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(b.center(), QPointF(b.center().x() + b.width() * 0.22, b.center().y() - b.height() * 0.22));
    } else { // checkmark.circle.fill and anything unknown
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(b);
        p.setPen(QPen(Qt::black, b.width() * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(b.left() + b.width() * 0.28, b.top() + b.height() * 0.52);
        tick.lineTo(b.left() + b.width() * 0.44, b.top() + b.height() * 0.68);
        tick.lineTo(b.left() + b.width() * 0.72, b.top() + b.height() * 0.34);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    p.restore();
}
