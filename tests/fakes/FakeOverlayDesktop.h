#pragma once
#include "Platform/OverlayDesktop.h"

#include <QList>

// Policy kept in a field; grabs succeed after `grabFailures` refusals; our
// windows leave the screen at once; screen pixels are whatever the test sets.
class FakeOverlayDesktop final : public OverlayDesktop {
public:
    int activationPolicy() const override { return policy; }
    void setActivationPolicy(int p) override
    {
        policy = p;
        policyWrites.append(p);
    }
    QImage backdropCanvas(QSize pixels) override { return QImage(pixels, QImage::Format_RGB32); }
    bool setBackdrop(quint64, const QImage&) override { return true; }
    void clearBackdrop(quint64 window) override { clearedBackdrops.append(window); }
    bool grabInput(quint64 window) override
    {
        ++grabAttempts;
        if (grabFailures > 0) {
            --grabFailures;
            return false;
        }
        grabbedWindow = window;
        return true;
    }
    void releaseInput() override
    {
        ++releases;
        grabbedWindow = 0;
    }
    bool isOffScreen(quint64) override { return true; }
    QImage grabScreenArea(const QRect& pixels) override
    {
        screenReads.append(pixels);
        return screen.isNull() ? QImage() : screen.copy(pixels);
    }

    int policy = accessory;
    QList<int> policyWrites;
    int grabFailures = 0;
    int grabAttempts = 0;
    int releases = 0;
    quint64 grabbedWindow = 0;
    QImage screen;
    QList<QRect> screenReads;
    QList<quint64> clearedBackdrops;
};
