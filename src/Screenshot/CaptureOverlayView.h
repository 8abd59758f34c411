#pragma once
// The content of one overlay window: the frozen still of its screen, dimmed;
// hovering highlights the window under the pointer, a click picks it (or the
// whole screen), a drag selects an area (snapping to the whole screen when it
// nearly covers it), Escape cancels. A loupe follows the pointer. The view
// hands its choice on and never closes itself.
#include "Screenshot/DetectedWindow.h"
#include "Screenshot/FrozenScreen.h"
#include "Screenshot/OverlayGeometry.h"
#include "Screenshot/OverlaySelectionResult.h"

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>

class ExactPointer;

class CaptureOverlayView : public QWidget {
    Q_OBJECT
public:
    CaptureOverlayView(const FrozenScreen& frozen, const QList<DetectedWindow>& windows,
                       std::function<void(const OverlaySelectionResult&)> onResult, std::function<void()> onCancel,
                       QWidget* parent = nullptr);

    const FrozenScreen& frozen() const { return m_frozen; }
    // Number of completed paints (the benchmark waits for the first).
    int paintCount() const { return m_paintCount; }
    // The still under the veil, as the view shows it outside any highlight;
    // made on first use unless handed in.
    const QImage& dimmedStill();
    void setDimmedStill(QImage dimmed);

    static constexpr qreal dimAlpha = 0.35;
    static QColor accent() { return QColor::fromRgbF(0.16f, 0.5f, 0.95f, 1.0f); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pointerAt(QPointF position);
    void deliver(const OverlayGeometry::Choice& choice);
    void drawSelection(QPainter& p, const QRectF& rect, bool fullScreen);
    void drawWindowHighlight(QPainter& p, const QRectF& frame);
    void drawLoupe(QPainter& p, QPointF at);
    void drawBadge(QPainter& p, const QString& text, QPointF near, bool centred);
    void drawInfoBadge(QPainter& p, const QString& coord, const std::optional<std::pair<QColor, QString>>& colour,
                       QPointF near);
    qreal fontPoints(qreal viewPoints) const;

    FrozenScreen m_frozen;
    QList<DetectedWindow> m_allWindows;
    OverlayGeometry m_geometry;
    std::function<void(const OverlaySelectionResult&)> m_onResult;
    std::function<void()> m_onCancel;
    // Places to the device pixel, not to the point.
    ExactPointer* m_pointer;

    std::optional<QPointF> m_dragStart;
    std::optional<QPointF> m_dragCurrent;
    bool m_isDragging = false;
    QPointF m_mousePoint;
    bool m_mouseInside = false;
    std::optional<OverlayGeometry::LocalWindow> m_hoveredWindow;
    int m_paintCount = 0;
    QImage m_dimmed;
};
