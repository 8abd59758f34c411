#include "Editor/ToolbarIconButton.h"

#include "Ui/IconRegistry.h"
#include "Ui/RoundedFill.h"
#include "Ui/Theme.h"
#include "Ui/TooltipHost.h"

#include <QPainter>

ToolbarIconButton::ToolbarIconButton(const QString& symbolName, QSize size, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbolName)
    , m_size(size)
{
    setFixedSize(size);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::TabFocus);
}

void ToolbarIconButton::setProminent(bool prominent)
{
    m_prominent = prominent;
    update();
}

void ToolbarIconButton::setName(const QString& name)
{
    setAccessibleName(name);
    gooeyTip(this, name);
}

void ToolbarIconButton::enterEvent(QEnterEvent* e)
{
    m_hovering = true;
    update();
    QAbstractButton::enterEvent(e);
}

void ToolbarIconButton::leaveEvent(QEvent* e)
{
    m_hovering = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void ToolbarIconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF box(rect());
    QColor ink = isEnabled() ? Theme::primary(this) : Theme::tertiary(this);
    if (m_prominent) {
        QColor fill = Theme::accent(this);
        if (isDown())
            fill = fill.darker(120);
        if (!isEnabled())
            fill = Theme::withAlpha(fill, 0.4);
        RoundedFill::paint(p, box, 5, fill);
        ink = Qt::white;
    } else if (isEnabled() && (isDown() || isChecked() || m_hovering || hasFocus())) {
        const double opacity = isChecked() ? 0.22 : isDown() ? 0.14 : 0.07;
        RoundedFill::paint(p, box, 5, Theme::primary(opacity, this));
    }
    IconRegistry::paint(p, m_symbol, box, ink, iconPx);
}
