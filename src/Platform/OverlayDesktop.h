#pragma once
// What the selection overlay needs from the desktop: the application's
// activation policy (switched to accessory while the overlay is up), showing a
// picture in an overlay window from the moment it maps, taking the keyboard
// and the pointer for it, knowing when the server has taken our windows off
// the screen, and reading back screen pixels to see that the windows below
// have repainted.
#include <QImage>
#include <QRect>
#include <QtGlobal>

class OverlayDesktop {
public:
    // The numbers are the ones logged.
    enum Policy { regular = 0, accessory = 1, prohibited = 2 };
    virtual ~OverlayDesktop() = default;

    virtual int activationPolicy() const = 0;
    virtual void setActivationPolicy(int policy) = 0;

    // An opaque image of this size (device pixels) to draw a backdrop in;
    // setBackdrop() shows a picture drawn there without copying it.
    virtual QImage backdropCanvas(QSize pixels) = 0;
    // Has the server itself show `picture` (the window's size in device
    // pixels) in this (own, created, not yet mapped) window, so it is on the
    // screen the moment the window maps, before the app's first paint. False
    // when the desktop cannot; the app's paint then shows it a little later.
    // Main thread.
    virtual bool setBackdrop(quint64 window, const QImage& picture) = 0;
    // Lets go of the window's backdrop; called once the window is hidden.
    virtual void clearBackdrop(quint64 window) = 0;
    // Takes keyboard and pointer for this (own, mapped) window; events for
    // our other windows keep going to them. False when another client holds
    // a grab or the window is not viewable yet. Main thread.
    virtual bool grabInput(quint64 window) = 0;
    virtual void releaseInput() = 0;
    // Whether the server no longer shows this window of ours (unmapped or
    // destroyed). A round trip; main thread.
    virtual bool isOffScreen(quint64 window) = 0;
    // The screen's pixels in a rectangle of global device pixels; null when
    // they cannot be read.
    virtual QImage grabScreenArea(const QRect& pixels) = 0;
};
