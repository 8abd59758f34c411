#pragma once
#include "Models/CoreTypes.h"
#include "Screenshot/FrozenScreen.h"

#include <QRectF>
#include <optional>

// The choice made on the selection overlay.
struct OverlaySelectionResult {
    FrozenScreen screen; // the screen it was made on
    // Pixels of that screen's still, origin top-left; not rounded. For a window
    // it is the window's whole frame and may reach beyond the still.
    QRectF pixelRect;
    CaptureKind kind = CaptureKind::area; // area, window or fullScreen
    std::optional<quint32> windowID;      // for a window only
};
