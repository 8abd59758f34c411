#pragma once
// The one ticker behind the per-frame animations (the crossfading capture card,
// the scrolling motif). Each frame is a pure function of the wall clock, so all
// instances move in step; the timer runs only while an attached widget is shown.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class FrameClock : public QObject {
    Q_OBJECT
public:
    static FrameClock& shared();

    // Seconds since the Unix epoch (the same phase for cycles of 2.4 s and
    // 4.8 s as any reference date that is a whole multiple of them).
    static double now();
    // Replaces the clock for tests; an empty function restores the wall clock.
    static void setTimeSource(std::function<double()> source);

    // The widget is repainted on every frame while attached and visible.
    void attach(QWidget* widget);
    void detach(QWidget* widget);
    bool isRunning() const { return m_timer.isActive(); }
    int attachedCount() const;

    static constexpr int frameIntervalMs = 16;

private:
    FrameClock();
    void tick();
    void updateTimer();

    QTimer m_timer;
    std::vector<QPointer<QWidget>> m_widgets;
};
