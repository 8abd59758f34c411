#pragma once
// One pinned picture: a borderless window above all others, on every
// workspace, that never takes the focus. It opens centred on the main
// screen, at most half its width and 60 % of its height (never enlarged),
// and keeps the picture's aspect ratio when resized. Closed by its button or
// by the window manager; its owner then drops it.
#include <QImage>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <optional>

class PinnedImageModel;
class PinnedImageView;
class WindowDesktops;

class PinnedImageWindowController : public QWidget {
    Q_OBJECT
public:
    // visibleFrame: the main screen's available area; none without a screen.
    PinnedImageWindowController(const QImage& image, WindowDesktops& desktops, std::optional<QRect> visibleFrame,
                                QWidget* parent = nullptr);
    ~PinnedImageWindowController() override;

    PinnedImageModel& model() { return *m_model; }
    PinnedImageView& view() { return *m_view; }
    // Shows the window in front without activating the app.
    void showPinned();
    // Every showing, also after a capture hid the window, puts it on every
    // workspace first: the window manager forgets that when it is hidden.
    void setVisible(bool visible) override;

    // Run once when the window closes.
    std::function<void()> onClose;

    struct Layout {
        QSize content;
        QSize minimum;
    };
    // Window and minimum size for a picture this many points large (its
    // pixels over the screen's scale) on a screen whose available area has
    // this size (none: no screen).
    static Layout layout(QSize pointSize, std::optional<QSize> visibleFrame);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<PinnedImageModel> m_model;
    PinnedImageView* m_view;
    WindowDesktops& m_desktops;
    bool m_closed = false;
};
