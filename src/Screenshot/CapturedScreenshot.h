#pragma once
#include "Models/CoreTypes.h"
#include "Screenshot/ScrollStop.h"

#include <QImage>
#include <QList>

// A finished capture: the picture in device pixels (one point of the image is
// one pixel of the screen) and how it was taken.
struct CapturedScreenshot {
    QImage image;
    CaptureKind kind = CaptureKind::area;
    // The picture may lack content: a scrolling capture that could not
    // confirm a seam, hit a limit, or saw the window not scroll at all. It is
    // kept, but announced as incomplete.
    bool incomplete = false;
    // A window scroll capture: why its scrolling ended, then whatever else
    // the result may lack, in the order the run found them.
    QList<ScrollStop> scrollStops = {};

    // The picture sized in pixels: device pixel ratio 1.
    static CapturedScreenshot make(QImage image, CaptureKind kind, bool incomplete = false)
    {
        image.setDevicePixelRatio(1.0);
        return {std::move(image), kind, incomplete};
    }
};
