#include "MenuBar/HoverCardButton.h"

#include "Ui/AnimatedValue.h"
#include "Ui/FocusRing.h"
#include "Ui/Theme.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

HoverCardButton::HoverCardButton(QString hotkey, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
    , m_hotkey(std::move(hotkey))
    , m_action(std::move(action))
    , m_swap(new AnimatedValue(0.0, this))
    , m_background(new AnimatedValue(backgroundOpacity(false, false), this))
{
    setAttribute(Qt::WA_Hover);
    FocusRing::setShape(this, cornerRadius);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_swap->setSpring(0.28, 0.72);
    m_background->setEaseOut(120);
    connect(m_swap, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    connect(m_background, &AnimatedValue::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, &HoverCardButton::refreshBackground);
    connect(this, &QAbstractButton::released, this, &HoverCardButton::refreshBackground);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action)
            m_action();
    });
}

void HoverCardButton::setHotkey(const QString& hotkey)
{
    if (hotkey == m_hotkey)
        return;
    m_hotkey = hotkey;
    refreshSwap();
    update();
}

double HoverCardButton::currentBackgroundOpacity() const { return m_background->value(); }

double HoverCardButton::backgroundOpacity(bool pressed, bool hovering)
{
    if (pressed)
        return 0.14;
    return hovering ? 0.08 : 0.04;
}

QSize HoverCardButton::sizeHint() const
{
    const int h = qCeil(2 * verticalPadding + iconAreaHeight() + iconTitleSpacing + titleAreaHeight);
    return QSize(90, h);
}

QSize HoverCardButton::minimumSizeHint() const { return QSize(40, sizeHint().height()); }

QRectF HoverCardButton::iconArea() const
{
    return QRectF(0, verticalPadding, width(), iconAreaHeight());
}

QRectF HoverCardButton::titleArea() const
{
    return QRectF(0, verticalPadding + iconAreaHeight() + iconTitleSpacing, width(), titleAreaHeight);
}

QFont HoverCardButton::chipFont() const
{
    // Linux key names are long ("Super+Shift+2"): a smaller font where the
    // chip would not fit the card.
    const qreal room = width() - 2 * chipMargin - chipPadding;
    qreal px = chipFontPx;
    while (px > minChipFontPx && QFontMetricsF(Theme::roundedFont(px, QFont::DemiBold)).horizontalAdvance(m_hotkey) > room)
        px -= 0.5;
    return Theme::roundedFont(px, QFont::DemiBold);
}

QRectF HoverCardButton::chipRect() const
{
    const QFontMetricsF fm(chipFont());
    const qreal w = qMin(fm.horizontalAdvance(m_hotkey) + chipPadding, width() - 2.0 * chipMargin);
    const qreal h = fm.height() + 2;
    const QRectF area = titleArea();
    return QRectF(area.center().x() - w / 2, area.center().y() - h / 2, w, h);
}

void HoverCardButton::hoverChanged(bool) {}

void HoverCardButton::setHover(bool hover)
{
    if (hover == m_hover)
        return;
    m_hover = hover;
    hoverChanged(hover);
    refreshSwap();
}

void HoverCardButton::refreshSwap() { m_swap->animateTo(isSwapped() ? 1.0 : 0.0); }

void HoverCardButton::refreshBackground() { m_background->animateTo(backgroundOpacity(isDown(), m_hovering)); }

void HoverCardButton::enterEvent(QEnterEvent* e)
{
    m_hovering = true;
    refreshBackground();
    setHover(true);
    QAbstractButton::enterEvent(e);
}

void HoverCardButton::leaveEvent(QEvent* e)
{
    m_hovering = false;
    refreshBackground();
    setHover(false);
    QAbstractButton::leaveEvent(e);
}

void HoverCardButton::hideEvent(QHideEvent* e)
{
    // The panel closing sends no leave event: the next open starts at rest.
    m_hovering = false;
    setHover(false);
    m_swap->setImmediately(0.0);
    m_background->setImmediately(backgroundOpacity(false, false));
    QAbstractButton::hideEvent(e);
}

void HoverCardButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    p.fillPath(card, Theme::primary(m_background->value(), this));

    const QColor fg = Theme::primary(this);
    paintIcon(p, iconArea(), fg);

    const double s = qBound(0.0, m_swap->value(), 1.2);
    const QRectF area = titleArea();
    p.save();
    p.setOpacity(qBound(0.0, 1.0 - s, 1.0));
    paintTitle(p, area.translated(0, -slideOffset * s), fg);
    p.restore();
    if (!m_hotkey.isEmpty() && s > 0) {
        p.save();
        p.setOpacity(qBound(0.0, s, 1.0));
        const QRectF chip = chipRect().translated(0, slideOffset * (1.0 - s));
        QPainterPath capsule;
        capsule.addRoundedRect(chip, chip.height() / 2, chip.height() / 2);
        p.fillPath(capsule, Theme::primary(0.08, this));
        p.setFont(chipFont());
        p.setPen(Theme::secondary(this));
        p.drawText(chip, Qt::AlignCenter,
                   p.fontMetrics().elidedText(m_hotkey, Qt::ElideMiddle, int(chip.width() - chipPadding + 1)));
        p.restore();
    }
}
