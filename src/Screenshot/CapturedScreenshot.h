#pragma once
// A finished capture: the picture in pixels and how it was taken.
#include "Models/CoreTypes.h"

#include <QImage>

struct CapturedScreenshot {
    QImage image;
    CaptureKind kind = CaptureKind::area;
};
