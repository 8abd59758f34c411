#include "Ui/ZoomButton.h"

#include "Ui/AnimatedValue.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QPainter>

ZoomButton::ZoomButton(const QString& symbolName, QSize size, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbolName)
    , m_size(size)
    , m_font(Theme::font(11, QFont::Medium))
    , m_hover(new AnimatedValue(0.0, this))
{
    setFixedSize(size);
    m_hover->setEaseOut(hoverFadeMs);
    connect(m_hover, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    // Pressing changes the fill at once, without the hover's fade.
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void ZoomButton::setSymbolName(const QString& name)
{
    m_symbol = name;
    update();
}

void ZoomButton::setLabelFont(const QFont& font)
{
    m_font = font;
    update();
}

double ZoomButton::fillOpacity() const { return isDown() ? pressedOpacity : hoverOpacity * m_hover->value(); }

bool ZoomButton::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTipChange && !m_symbol.isEmpty())
        setAccessibleName(toolTip());
    return QAbstractButton::event(e);
}

void ZoomButton::enterEvent(QEnterEvent* e)
{
    m_hovering = true;
    m_hover->animateTo(1.0);
    QAbstractButton::enterEvent(e);
}

void ZoomButton::leaveEvent(QEvent* e)
{
    m_hovering = false;
    m_hover->animateTo(0.0);
    QAbstractButton::leaveEvent(e);
}

void ZoomButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (const double opacity = fillOpacity(); opacity > 0)
        RoundedFill::paint(p, QRectF(rect()), cornerRadius, Theme::primary(opacity, this));
    const QColor fg = Theme::primary(this);
    if (!m_symbol.isEmpty()) {
        IconRegistry::paint(p, m_symbol, QRectF(rect()), fg, 13);
        return;
    }
    p.setFont(m_font);
    p.setPen(fg);
    p.drawText(rect(), Qt::AlignCenter, text());
}
