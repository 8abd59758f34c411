#pragma once
// One borderless window of the selection overlay, covering one screen above
// every other window (override-redirect, so no window manager moves, frames or
// stacks it). Its content is a CaptureOverlayView.
#include <QWidget>

class CaptureOverlayView;
class QScreen;

class CaptureOverlayWindow : public QWidget {
    Q_OBJECT
public:
    // `screen`, when known, is the screen the frame belongs to (so the window
    // takes that screen's scale).
    explicit CaptureOverlayWindow(const QRect& screenFrame, QScreen* screen = nullptr);

    CaptureOverlayView* contentView() const { return m_contentView; }
    // Shows `view` filling the window; none drops the current one.
    void setContentView(CaptureOverlayView* view);

private:
    CaptureOverlayView* m_contentView = nullptr;
};
