#include "MenuBar/ScrollCaptureButton.h"

#include "Localization/Localizer.h"
#include "Ui/ScrollMotifIcon.h"
#include "Ui/FrameClock.h"
#include "Ui/Theme.h"

#include <QPainter>

ScrollCaptureButton::ScrollCaptureButton(FrameClock& clock, QString hotkey, std::function<void()> action,
                                         QWidget* parent)
    : HoverCardButton(std::move(hotkey), std::move(action), parent)
    , m_clock(clock)
{
    setAccessibleName(Localizer::t(QStringLiteral("Scroll")));
}

void ScrollCaptureButton::showEvent(QShowEvent* e)
{
    HoverCardButton::showEvent(e);
    m_clock.attach(this);
}

void ScrollCaptureButton::hideEvent(QHideEvent* e)
{
    HoverCardButton::hideEvent(e);
    m_clock.detach(this);
}

void ScrollCaptureButton::paintIcon(QPainter& p, const QRectF& area, const QColor& color)
{
    QRectF motif(QPointF(0, 0), motifSize);
    motif.moveCenter(area.center());
    p.save();
    p.translate(motif.topLeft());
    ScrollMotifIcon::draw(p, motifSize, ScrollMotifIcon::phaseAt(FrameClock::now()), color);
    p.restore();
}

void ScrollCaptureButton::paintTitle(QPainter& p, const QRectF& area, const QColor& color)
{
    p.setFont(Theme::font(titleFontPx, QFont::Medium));
    p.setPen(color);
    p.drawText(area, Qt::AlignCenter, Localizer::t(QStringLiteral("Scroll")));
}
