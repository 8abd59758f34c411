#pragma once
// The scrolling-capture card: the animated scrolling motif above "Scroll".
#include "MenuBar/HoverCardButton.h"

class FrameClock;

class ScrollCaptureButton : public HoverCardButton {
    Q_OBJECT
public:
    // clock: repaints the card while it is shown.
    ScrollCaptureButton(FrameClock& clock, QString hotkey, std::function<void()> action, QWidget* parent = nullptr);

    static constexpr QSizeF motifSize{30, 26};

protected:
    qreal iconAreaHeight() const override { return motifSize.height(); }
    void paintIcon(QPainter& p, const QRectF& area, const QColor& color) override;
    void paintTitle(QPainter& p, const QRectF& area, const QColor& color) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    FrameClock& m_clock;
};
