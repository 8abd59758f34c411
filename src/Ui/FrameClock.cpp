#include "Ui/FrameClock.h"

#include <QDateTime>
#include <algorithm>

FrameClock::FrameClock(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(frameIntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FrameClock::tick);
}

double FrameClock::now() { return double(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

void FrameClock::attach(QWidget* widget)
{
    if (!widget)
        return;
    const bool known = std::any_of(m_widgets.begin(), m_widgets.end(),
                                   [widget](const QPointer<QWidget>& w) { return w == widget; });
    if (!known)
        m_widgets.emplace_back(widget);
    updateTimer();
}

void FrameClock::detach(QWidget* widget)
{
    m_widgets.erase(std::remove_if(m_widgets.begin(), m_widgets.end(),
                                   [widget](const QPointer<QWidget>& w) { return !w || w == widget; }),
                    m_widgets.end());
    updateTimer();
}

void FrameClock::tick()
{
    m_widgets.erase(std::remove_if(m_widgets.begin(), m_widgets.end(), [](const QPointer<QWidget>& w) { return !w; }),
                    m_widgets.end());
    for (const auto& w : m_widgets)
        if (w->isVisible())
            w->update();
    updateTimer();
}

void FrameClock::updateTimer()
{
    const bool anyVisible = std::any_of(m_widgets.begin(), m_widgets.end(),
                                        [](const QPointer<QWidget>& w) { return w && w->isVisible(); });
    if (anyVisible && !m_timer.isActive())
        m_timer.start();
    else if (!anyVisible && m_timer.isActive())
        m_timer.stop();
}
