#pragma once
// The content of a pinned window: the picture fitted into the window at the
// model's opacity, inside rounded corners with a faint rim, and, while the
// pointer is over the window, a control bar at the top with an opacity
// slider and a close button. Dragging the picture moves the window; dragging
// its rim resizes it with the picture's aspect ratio kept.
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

class PinnedImageModel;
class QGraphicsOpacityEffect;
class QPropertyAnimation;
class QSlider;
class QToolButton;

class PinnedImageView : public QWidget {
    Q_OBJECT
public:
    static constexpr int cornerRadius = 10;
    // How far into the window a press still grabs an edge.
    static constexpr int edgeGrip = 8;

    explicit PinnedImageView(PinnedImageModel& model, QWidget* parent = nullptr);

    bool isHovering() const { return m_hovering; }

    // The window's rectangle while `edges` are dragged by `delta` from
    // `start`: the aspect ratio of `start` kept, the opposite sides held,
    // never below `minimum`, never beyond the size of `bounds`.
    static QRect resized(QRect start, Qt::Edges edges, QPoint delta, QSize minimum, QSize bounds);
    // Which edges a point of a widget of `size` grabs.
    static Qt::Edges edgesAt(QPoint at, QSize size);

Q_SIGNALS:
    // A drag of the picture or its rim wants the window there (global).
    void geometryRequested(const QRect& geometry);
    // The drag is over.
    void gestureEnded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setHovering(bool hovering);
    void placeBar();

    PinnedImageModel& m_model;
    QWidget* m_bar;
    QSlider* m_slider;
    QToolButton* m_close;
    QGraphicsOpacityEffect* m_barOpacity;
    QPropertyAnimation* m_barFade;
    bool m_hovering = false;
    // The drag in progress: a resize at these edges, or a move without any.
    Qt::Edges m_dragEdges;
    std::optional<QPoint> m_dragStart;
    QRect m_dragStartGeometry;
};
