#include "MenuBar/ModeSwapCaptureButton.h"

#include "Localization/Localizer.h"
#include "Ui/FrameClock.h"
#include "Ui/IconRegistry.h"
#include "Ui/Theme.h"

#include <QPainter>
#include <cmath>

ModeSwapCaptureButton::ModeSwapCaptureButton(FrameClock& clock, QString hotkey, std::function<void()> action,
                                             QWidget* parent)
    : HoverCardButton(std::move(hotkey), std::move(action), parent)
    , m_clock(clock)
{
    setAccessibleName(Localizer::t(QStringLiteral("Bereich")) + QLatin1Char('/') +
                      Localizer::t(QStringLiteral("Fenster")));
}

double ModeSwapCaptureButton::fensterAmount(double seconds)
{
    double p = std::fmod(seconds, cycleSeconds) / cycleSeconds;
    if (p < 0)
        p += 1.0;
    double x;
    if (p < 0.4)
        return 0.0;
    if (p < 0.5)
        x = (p - 0.4) / 0.1;
    else if (p < 0.9)
        return 1.0;
    else
        x = 1.0 - (p - 0.9) / 0.1;
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

double ModeSwapCaptureButton::currentAmount() const
{
    return hover() ? m_frozen : fensterAmount(FrameClock::now());
}

void ModeSwapCaptureButton::hoverChanged(bool hover)
{
    if (hover)
        m_frozen = fensterAmount(FrameClock::now());
}

void ModeSwapCaptureButton::showEvent(QShowEvent* e)
{
    HoverCardButton::showEvent(e);
    m_clock.attach(this);
}

void ModeSwapCaptureButton::hideEvent(QHideEvent* e)
{
    HoverCardButton::hideEvent(e);
    m_clock.detach(this);
}

void ModeSwapCaptureButton::paintIcon(QPainter& p, const QRectF& area, const QColor& color)
{
    const double a = currentAmount();
    p.save();
    p.setOpacity(1.0 - a);
    IconRegistry::paint(p, QStringLiteral("crop"), area, color, 20);
    p.setOpacity(a);
    IconRegistry::paint(p, QStringLiteral("macwindow"), area, color, 20);
    p.restore();
}

void ModeSwapCaptureButton::paintTitle(QPainter& p, const QRectF& area, const QColor& color)
{
    const double a = currentAmount();
    const double base = p.opacity();
    p.setFont(Theme::font(titleFontPx, QFont::Medium));
    p.setPen(color);
    p.setOpacity(base * (1.0 - a));
    p.drawText(area, Qt::AlignCenter, Localizer::t(QStringLiteral("Bereich")));
    p.setOpacity(base * a);
    p.drawText(area, Qt::AlignCenter, Localizer::t(QStringLiteral("Fenster")));
    p.setOpacity(base);
}
