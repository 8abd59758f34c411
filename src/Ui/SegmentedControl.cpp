#include "Ui/SegmentedControl.h"

#include "Ui/AnimatedValue.h"
#include "Ui/FocusRing.h"
#include "Ui/IconRegistry.h"
#include "Ui/SegmentedControlAccessible.h"
#include "Ui/Theme.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent)
    : QWidget(parent)
    , m_labels(labels)
    , m_pillPosition(new AnimatedValue(0.0, this))
{
    SegmentedControlAccessible::install();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
    FocusRing::setShape(this, m_trackRadius);
    connect(m_pillPosition, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
}

void SegmentedControl::setLabels(const QStringList& labels)
{
    m_labels = labels;
    m_current = qBound(0, m_current, qMax(0, int(labels.size()) - 1));
    m_pillPosition->setImmediately(m_current);
    updateGeometry();
    update();
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_labels.size() || index == m_current)
        return;
    m_current = index;
    if (m_slideMs > 0 && isVisible())
        m_pillPosition->animateTo(index);
    else
        m_pillPosition->setImmediately(index);
    update();
    Q_EMIT currentIndexChanged(index);
}

void SegmentedControl::setMetrics(qreal fontPx, int verticalPadding)
{
    m_fontPx = fontPx;
    m_vPadding = verticalPadding;
    updateGeometry();
    update();
}

void SegmentedControl::setSymbols(const QStringList& symbols, qreal symbolPx)
{
    m_symbols = symbols;
    m_symbolPx = symbolPx;
    updateGeometry();
    update();
}

void SegmentedControl::setSymbolsOnly(bool only)
{
    m_symbolsOnly = only;
    updateGeometry();
    update();
}

void SegmentedControl::setRadii(qreal track, qreal pill)
{
    m_trackRadius = track;
    FocusRing::setShape(this, track);
    m_pillRadius = pill;
    update();
}

void SegmentedControl::setSlideDuration(int ms)
{
    m_slideMs = ms;
    if (ms > 0)
        m_pillPosition->setEaseOut(ms);
}

qreal SegmentedControl::contentWidth(int index, qreal scale) const
{
    const bool symbol = !m_symbols.value(index).isEmpty();
    if (m_symbolsOnly && symbol)
        return m_symbolPx * scale;
    const QFontMetricsF fm(Theme::font(m_fontPx * scale, QFont::Medium));
    qreal w = fm.horizontalAdvance(m_labels.value(index));
    if (symbol)
        w += m_symbolPx * scale + symbolSpacing;
    return w;
}

QSize SegmentedControl::sizeHint() const
{
    const QFontMetricsF fm(Theme::font(m_fontPx, QFont::Medium));
    qreal widest = 0;
    for (int i = 0; i < m_labels.size(); ++i)
        widest = qMax(widest, contentWidth(i, 1.0));
    const int n = qMax(1, int(m_labels.size()));
    const int w = qCeil(n * (widest + 16) + (n - 1) * spacing + 2 * trackPadding);
    const qreal line = qMax(fm.height(), m_symbols.isEmpty() ? 0.0 : m_symbolPx);
    const int h = qCeil(line + 2 * m_vPadding + 2 * trackPadding);
    return QSize(w, h);
}

QSize SegmentedControl::minimumSizeHint() const { return QSize(0, sizeHint().height()); }

QRectF SegmentedControl::segmentRect(int index) const
{
    const int n = qMax(1, int(m_labels.size()));
    const QRectF inner = QRectF(rect()).adjusted(trackPadding, trackPadding, -trackPadding, -trackPadding);
    const qreal w = (inner.width() - (n - 1) * spacing) / n;
    return QRectF(inner.left() + index * (w + spacing), inner.top(), w, inner.height());
}

QRectF SegmentedControl::pillRect() const
{
    const double pos = m_pillPosition->value();
    const int from = int(std::floor(pos));
    const double t = pos - from;
    const QRectF a = segmentRect(from);
    if (t <= 0)
        return a;
    const QRectF b = segmentRect(from + 1);
    return QRectF(a.left() + (b.left() - a.left()) * t, a.top(), a.width(), a.height());
}

qreal SegmentedControl::labelScale(int index) const
{
    const qreal available = segmentRect(index).width() - 8;
    const qreal needed = contentWidth(index, 1.0);
    if (needed <= available || needed <= 0)
        return 1.0;
    return qMax(minimumLabelScale, available / needed);
}

void SegmentedControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath track;
    track.addRoundedRect(QRectF(rect()), m_trackRadius, m_trackRadius);
    p.fillPath(track, Theme::primary(0.06, this));
    if (!m_labels.isEmpty()) {
        const QRectF r = pillRect();
        QPainterPath shadow;
        shadow.addRoundedRect(r.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 1.0), m_pillRadius, m_pillRadius);
        p.fillPath(shadow, QColor(0, 0, 0, int(255 * 0.12)));
        QPainterPath pill;
        pill.addRoundedRect(r, m_pillRadius, m_pillRadius);
        p.fillPath(pill, Theme::textBackground(this));
    }
    for (int i = 0; i < m_labels.size(); ++i) {
        const QRectF r = segmentRect(i);
        const qreal scale = labelScale(i);
        const QFont font = Theme::font(m_fontPx * scale, QFont::Medium);
        const QColor colour = i == m_current ? Theme::primary(this) : Theme::secondary(this);
        const QString symbol = m_symbols.value(i);
        const bool textShown = !(m_symbolsOnly && !symbol.isEmpty());
        const qreal symbolW = symbol.isEmpty() ? 0 : m_symbolPx * scale + (textShown ? symbolSpacing : 0);
        const qreal available = r.width() - 8 - symbolW;
        const QString text =
            textShown ? QFontMetricsF(font).elidedText(m_labels.at(i), Qt::ElideRight, available) : QString();
        const qreal textW = textShown ? QFontMetricsF(font).horizontalAdvance(text) : 0;
        qreal x = r.center().x() - (symbolW + textW) / 2;
        if (!symbol.isEmpty()) {
            const qreal side = m_symbolPx * scale;
            IconRegistry::paint(p, symbol, QRectF(x, r.center().y() - side / 2, side, side), colour, side);
            x += symbolW;
        }
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(x, r.top(), textW + 1, r.height()), Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    if (hasFocus() && !m_labels.isEmpty()) {
        // Keyboard focus: an outline around the selected segment.
        p.setPen(QPen(Theme::accent(this), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(pillRect().adjusted(0.75, 0.75, -0.75, -0.75), m_pillRadius, m_pillRadius);
    }
}

void SegmentedControl::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < m_labels.size(); ++i)
        if (segmentRect(i).adjusted(-spacing / 2.0, -trackPadding, spacing / 2.0, trackPadding).contains(e->position())) {
            setCurrentIndex(i);
            return;
        }
}

void SegmentedControl::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) {
        setCurrentIndex(m_current + (e->key() == Qt::Key_Left ? -1 : 1));
        return;
    }
    QWidget::keyPressEvent(e);
}
