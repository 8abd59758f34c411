#pragma once
// The area/window card: its symbol and title crossfade between "Bereich"
// (crop) and "Fenster" (window) on a 4.8 s cycle taken from the clock, so every
// instance moves in step. While the pointer rests on it the mix stays where it
// stood when the pointer came.
#include "MenuBar/HoverCardButton.h"

class FrameClock;

class ModeSwapCaptureButton : public HoverCardButton {
    Q_OBJECT
public:
    // clock: repaints the card while it is shown.
    ModeSwapCaptureButton(FrameClock& clock, QString hotkey, std::function<void()> action, QWidget* parent = nullptr);

    // 0 ("Bereich" shown) … 1 ("Fenster" shown) for a time in seconds.
    static double fensterAmount(double seconds);
    static constexpr double cycleSeconds = 4.8;

    // The mix drawn now: frozen while hovered, else the clock's.
    double currentAmount() const;

protected:
    qreal iconAreaHeight() const override { return 20; }
    void paintIcon(QPainter& p, const QRectF& area, const QColor& color) override;
    void paintTitle(QPainter& p, const QRectF& area, const QColor& color) override;
    void hoverChanged(bool hover) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    FrameClock& m_clock;
    double m_frozen = 0;
};
