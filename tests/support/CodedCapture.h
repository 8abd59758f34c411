#pragma once
// The verdict on a scrolling capture of coded content (CodedRows): every item
// once, whole and in order, and the capture calling itself complete.
#include "Screenshot/CapturedScreenshot.h"

#include <QString>
#include <optional>

// The first fault, empty when there is none. Prints what was found, and on a
// fault the capture's log; keeps the image in $ZENTU_TEST_KEEP_IMAGES (a
// folder) when that is set.
QString codedCaptureFault(const std::optional<CapturedScreenshot>& shot, int items, int pageBreakEvery = 0);
