#pragma once
// One pinned picture: a borderless window above all others, on every
// workspace, that never takes the focus. It opens centred on the main
// screen, at most half its width and 60 % of its height (never enlarged),
// and keeps the picture's aspect ratio when resized. Closed by its button or
// by the window manager; its owner then drops it.
//
// Faded, it lets what lies beneath show through: really translucent where a
// compositing manager runs; without one it paints over a still of the screen
// beneath it, taken as it shows and carried along while it is dragged or
// resized (from one picture of the whole desktop taken as the gesture
// begins). Moved any other way, it steps out of the picture for a moment to
// take a new still.
#include "Ui/TranslucentSurface.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class CompositingInfo;
class PinnedImageModel;
class PinnedImageView;
class WindowDesktops;

class PinnedImageWindowController : public QWidget, public TranslucentSurface {
    Q_OBJECT
public:
    // visibleFrame: the main screen's available area; none without a screen.
    // Without compositing (or without knowing) the window paints over stills
    // from `still`.
    PinnedImageWindowController(const QImage& image, WindowDesktops& desktops, std::optional<QRect> visibleFrame,
                                std::shared_ptr<CompositingInfo> compositing = nullptr, StillSource still = {},
                                QWidget* parent = nullptr);
    ~PinnedImageWindowController() override;

    PinnedImageModel& model() { return *m_model; }
    PinnedImageView& view() { return *m_view; }
    // Shows the window in front without activating the app.
    void showPinned();
    // Every showing, also after a capture hid the window, puts it on every
    // workspace first: the window manager forgets that when it is hidden.
    void setVisible(bool visible) override;


    struct Layout {
        QSize content;
        QSize minimum;
    };
    // Window and minimum size for a picture this many points large (its
    // pixels over the screen's scale) on a screen whose available area has
    // this size (none: no screen).
    static Layout layout(QSize pointSize, std::optional<QSize> visibleFrame);

    // How long the window stays out of the picture for a new still, so the
    // windows beneath can paint themselves again.
    static constexpr int stepAsideMs = 120;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QWidget& surfaceWindow() override { return *this; }
    QPainterPath surfaceShape() const override;


Q_SIGNALS:
    // Once, when the window closes.
    void closed();

private:
    bool compositorRuns() const;
    // A drag or resize of the view moves the window there, over the still of
    // its new place cut from the desktop's picture.
    void moveDuringGesture(const QRect& geometry);
    // Out of the picture (shaped to nothing) for a moment, then a new still.
    void stepAsideForStill();
    void compositingChanged(bool compositing);

    std::unique_ptr<PinnedImageModel> m_model;
    PinnedImageView* m_view;
    WindowDesktops& m_desktops;
    std::shared_ptr<CompositingInfo> m_compositing;
    StillSource m_still;
    // What lies beneath the whole desktop while a gesture runs, and where.
    QImage m_desktop;
    QRect m_desktopArea;
    bool m_inGesture = false;
    QTimer m_stepAside;
    bool m_closed = false;
};
