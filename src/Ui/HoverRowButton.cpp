#include "Ui/HoverRowButton.h"

#include "Text/ButtonText.h"
#include "Ui/AnimatedValue.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

HoverRowButton::HoverRowButton(const QString& symbolName, const QString& title, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbolName)
    , m_background(new AnimatedValue(0.0, this))
{
    setText(ButtonText::escaped(title));
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover);
    m_background->setEaseOut(100);
    connect(m_background, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, &HoverRowButton::refreshTarget);
    connect(this, &QAbstractButton::released, this, &HoverRowButton::refreshTarget);
}

void HoverRowButton::setSymbolName(const QString& name)
{
    m_symbol = name;
    updateGeometry();
    update();
}

void HoverRowButton::setFontPixelSize(qreal px)
{
    m_fontPx = px;
    updateGeometry();
    update();
}

void HoverRowButton::setTrailingSymbol(const QString& name)
{
    m_trailing = name;
    updateGeometry();
    update();
}

void HoverRowButton::setPadding(int horizontal, int vertical)
{
    m_hPadding = horizontal;
    m_vPadding = vertical;
    updateGeometry();
    update();
}

double HoverRowButton::backgroundOpacity(bool pressed, bool hovering)
{
    if (pressed)
        return 0.12;
    return hovering ? 0.07 : 0.0;
}

double HoverRowButton::currentBackgroundOpacity() const { return m_background->value(); }

void HoverRowButton::refreshTarget() { m_background->animateTo(backgroundOpacity(isDown(), m_hovering)); }

QSize HoverRowButton::sizeHint() const
{
    const QFontMetricsF fm(Theme::font(m_fontPx));
    qreal w = fm.horizontalAdvance(ButtonText::shown(text()));
    if (!m_symbol.isEmpty())
        w += m_fontPx * 1.25 + iconSpacing;
    if (!m_trailing.isEmpty())
        w += trailingSide() + 8;
    const qreal h = qMax(fm.height(), m_fontPx * 1.25);
    return QSize(qCeil(w) + 2 * m_hPadding, qCeil(h) + 2 * m_vPadding);
}

void HoverRowButton::enterEvent(QEnterEvent* e)
{
    m_hovering = true;
    refreshTarget();
    QAbstractButton::enterEvent(e);
}

void HoverRowButton::leaveEvent(QEvent* e)
{
    m_hovering = false;
    refreshTarget();
    QAbstractButton::leaveEvent(e);
}

void HoverRowButton::hideEvent(QHideEvent* e)
{
    // A closing window sends no leave event: the next open starts at rest.
    m_hovering = false;
    m_background->setImmediately(backgroundOpacity(false, false));
    QAbstractButton::hideEvent(e);
}

void HoverRowButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double opacity = m_background->value();
    if (opacity > 0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
        p.fillPath(path, Theme::primary(opacity, this));
    }
    const QColor fg = isEnabled() ? Theme::primary(this) : Theme::tertiary(this);
    QRectF content = QRectF(rect()).adjusted(m_hPadding, m_vPadding, -m_hPadding, -m_vPadding);
    if (!m_trailing.isEmpty()) {
        const qreal side = trailingSide();
        IconRegistry::paint(p, m_trailing, QRectF(content.right() - side, content.center().y() - side / 2, side, side),
                            Theme::tertiary(this), side);
        content.setRight(content.right() - side - 8);
    }
    qreal x = content.left();
    if (!m_symbol.isEmpty()) {
        const qreal iconSide = m_fontPx * 1.25;
        IconRegistry::paint(p, m_symbol, QRectF(x, content.center().y() - iconSide / 2, iconSide, iconSide), fg,
                            m_fontPx * 1.25);
        x += iconSide + iconSpacing;
    }
    p.setFont(Theme::font(m_fontPx));
    p.setPen(fg);
    p.drawText(QRectF(x, content.top(), content.right() - x, content.height()), Qt::AlignVCenter | Qt::AlignLeft,
               ButtonText::shown(text()));
}
