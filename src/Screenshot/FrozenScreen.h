#pragma once
#include "Platform/ScreenSource.h"

#include <QImage>

// One still per screen, taken when an interactive capture starts: the whole
// screen without the pointer, in device pixels (the screen's point size times
// scale, each side rounded).
struct FrozenScreen {
    ScreenInfo screen;
    QImage cgImage;
    qreal scale = 1.0; // converts the overlay's points into pixels of cgImage
};
