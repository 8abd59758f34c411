#pragma once
// The ticker behind the per-frame animations (the crossfading capture card,
// the scrolling motif): one per program, made by its composition root and
// handed to the widgets that animate. Each frame is a pure function of the
// wall clock, so all instances move in step; the timer runs only while an
// attached widget is shown.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

class FrameClock : public QObject {
    Q_OBJECT
public:
    explicit FrameClock(QObject* parent = nullptr);

    // Seconds since the Unix epoch (the same phase for cycles of 2.4 s and
    // 4.8 s as any reference date that is a whole multiple of them).
    static double now();

    // The widget is repainted on every frame while attached and visible.
    void attach(QWidget* widget);
    void detach(QWidget* widget);
    bool isRunning() const { return m_timer.isActive(); }

    static constexpr int frameIntervalMs = 16;

private:
    void tick();
    void updateTimer();

    QTimer m_timer;
    std::vector<QPointer<QWidget>> m_widgets;
};
