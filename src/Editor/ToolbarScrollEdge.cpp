#include "Editor/ToolbarScrollEdge.h"

#include "Localization/Localizer.h"
#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

ToolbarScrollEdge::ToolbarScrollEdge(Side side, QWidget* parent)
    : QAbstractButton(parent)
    , m_side(side)
{
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_Hover); // repainted as the pointer comes and goes
    // No focus of its own: Tab reaches the hidden controls themselves, and they slide in.
    setFocusPolicy(Qt::NoFocus);
    setAutoRepeat(true);
    setAutoRepeatDelay(400);
    setAutoRepeatInterval(120);
    retranslate();
}

void ToolbarScrollEdge::retranslate()
{
    setAccessibleName(m_side == Side::leading ? Localizer::t(QStringLiteral("Nach links blättern"))
                                              : Localizer::t(QStringLiteral("Nach rechts blättern")));
}

void ToolbarScrollEdge::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const bool leading = m_side == Side::leading;
    const QColor bar = Theme::windowBackground(this);
    // The controls run out under the edge: clear towards the run, the bar's own
    // colour at the outside, so a cut control reads as "more this way".
    QLinearGradient fade(leading ? QPointF(width, 0) : QPointF(0, 0), leading ? QPointF(0, 0) : QPointF(width, 0));
    fade.setColorAt(0, Theme::withAlpha(bar, 0));
    fade.setColorAt(0.45, bar);
    fade.setColorAt(1, bar);
    p.fillRect(rect(), fade);

    const qreal side = 20;
    const QRectF knob(leading ? 0 : width - side, (height() - side) / 2, side, side);
    if (isDown() || underMouse())
        RoundedFill::paint(p, knob, 5, Theme::primary(isDown() ? 0.14 : 0.07, this));
    IconRegistry::paint(p, leading ? QStringLiteral("chevron.left") : QStringLiteral("chevron.right"), knob,
                        Theme::secondary(this), 16);
}

void ToolbarScrollEdge::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::LanguageChange)
        retranslate();
    QAbstractButton::changeEvent(e);
}
