#pragma once
#include "Models/CoreTypes.h"

#include <QImage>

// A finished capture: the picture in device pixels (one point of the image is
// one pixel of the screen) and how it was taken.
struct CapturedScreenshot {
    QImage image;
    CaptureKind kind = CaptureKind::area;

    // The picture sized in pixels: device pixel ratio 1.
    static CapturedScreenshot make(QImage image, CaptureKind kind)
    {
        image.setDevicePixelRatio(1.0);
        return {std::move(image), kind};
    }
};
