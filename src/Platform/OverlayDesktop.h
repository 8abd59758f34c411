#pragma once
// What the selection overlay needs from the desktop: the application's
// activation policy (switched to accessory while the overlay is up), taking
// the keyboard and the pointer for an overlay window, knowing when the server
// has taken our windows off the screen, and reading back screen pixels to see
// that the windows below have repainted.
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
