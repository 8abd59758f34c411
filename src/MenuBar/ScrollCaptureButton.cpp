#include "MenuBar/ScrollCaptureButton.h"

#include "Localization/Localizer.h"
#include "Ui/FrameClock.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QPainter>

ScrollCaptureButton::ScrollCaptureButton(QString hotkey, std::function<void()> action, QWidget* parent)
    : HoverCardButton(std::move(hotkey), std::move(action), parent)
{
    setAccessibleName(Localizer::t(QStringLiteral("Scroll")));
}

void ScrollCaptureButton::showEvent(QShowEvent* e)
{
    HoverCardButton::showEvent(e);
    FrameClock::shared().attach(this);
}

void ScrollCaptureButton::hideEvent(QHideEvent* e)
{
    HoverCardButton::hideEvent(e);
    FrameClock::shared().detach(this);
}

void ScrollCaptureButton::paintIcon(QPainter& p, const QRectF& area, const QColor& color)
{
    QRectF motif(QPointF(0, 0), motifSize);
    motif.moveCenter(area.center());
    IconRegistry::paint(p, QStringLiteral("rectangle.portrait.arrowtriangle.2.outward"), motif, color, 22);
}

void ScrollCaptureButton::paintTitle(QPainter& p, const QRectF& area, const QColor& color)
{
    p.setFont(Theme::font(titleFontPx, QFont::Medium));
    p.setPen(color);
    p.drawText(area, Qt::AlignCenter, Localizer::t(QStringLiteral("Scroll")));
}
