#pragma once
// The delayed dark tooltip as a window of its own, above everything else: a
// rounded bubble with a small arrow pointing at its control, below the control
// (above it where the screen ends first), and never over it. It takes neither
// the mouse nor the focus, so the controls beneath it keep working, and it may
// reach beyond the window of its control: a control in a popover, or one at
// the editor's edge, shows its whole tip.
#include "Ui/TranslucentSurface.h"

#include <QWidget>

class TooltipWindow : public QWidget, public TranslucentSurface {
    Q_OBJECT
public:
    explicit TooltipWindow(QWidget* parent = nullptr);

    // Places the tip for a control that occupies `control` (global
    // coordinates) on a screen whose area is `screen`. Shows nothing.
    void place(const QString& text, const QRect& control, const QRect& screen);
    // 0 when the tip has just appeared, 1 once it has faded in.
    void setProgress(double progress);
    double progress() const { return m_progress; }
    QString text() const { return m_text; }
    // Arrow and bubble at rest, in global coordinates.
    QRectF tipRect() const { return m_tip.translated(pos()); }
    // How far above its rest a new tip starts while it fades in.
    qreal startLift() const { return m_slide; }

    // The whole tooltip (arrow and bubble) for a text, centred at centre.
    static QRectF tooltipRect(const QString& text, QPointF centre);
    static QColor background();

    static constexpr qreal gapBelowControl = 15; // from the control's edge to the tooltip's centre
    static constexpr qreal arrowWidth = 11;
    static constexpr qreal arrowHeight = 5;
    static constexpr qreal startOffset = 5; // a new tooltip slides this far towards its rest while it fades in

protected:
    void paintEvent(QPaintEvent*) override;
    QWidget& surfaceWindow() override { return *this; }
    QPainterPath surfaceShape() const override { return shapeAt(0); }

private:
    // Arrow and bubble moved `lift` pixels up from their rest, in window coordinates.
    QPainterPath shapeAt(qreal lift) const;
    QRectF bubbleAt(qreal lift) const;

    QString m_text;
    QRectF m_tip; // at rest, window coordinates
    qreal m_arrowX = 0;
    bool m_pointsUp = true;
    qreal m_slide = 0;
    double m_progress = 1.0;
};
