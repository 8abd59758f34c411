#pragma once
// The animated picture of the scrolling capture: a window outline whose text
// lines glide up while its scroll thumb moves down, in one colour. Each frame
// is a pure function of FrameClock::now() (one cycle every 2.4 s), so all motifs
// on screen move in step. No intrinsic size: the owner gives it a geometry.
#include <QColor>
#include <QWidget>

class QTimer;

class ScrollMotifIcon : public QWidget {
    Q_OBJECT
public:
    explicit ScrollMotifIcon(const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // Draws one frame into a canvas of `size`: the 24 x 24 design box scaled by
    // the smaller side and centred along the larger one.
    static void draw(QPainter& painter, const QSizeF& size, qreal phase, const QColor& color);
    // The shapes in design units (24 x 24, y down) at the given phase.
    static void drawDesignBox(QPainter& painter, qreal phase, const QColor& color);
    // phase = (seconds mod 2.4) / 2.4. Unix seconds give the same phase as any
    // epoch that is a whole number of cycles away.
    static qreal phaseAt(double secondsSinceEpoch);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QColor m_color;
    QTimer* m_frameTimer;
};
