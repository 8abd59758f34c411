#pragma once
// The verdict on a scrolling capture of coded content (CodedRows): every item
// once, whole and in order, and the capture calling itself complete.
#include "Screenshot/CapturedScreenshot.h"
#include "helpers/CodedRows.h"

#include <QString>
#include <functional>
#include <optional>

// The first fault, empty when there is none. Prints what was found, and on a
// fault the capture's log; keeps the image in $ZENTU_TEST_KEEP_IMAGES (a
// folder) when that is set.
QString codedCaptureFault(const std::optional<CapturedScreenshot>& shot, int items, int pageBreakEvery = 0);

// The same with the content's own reader (coded text, say).
QString codedCaptureFault(const std::optional<CapturedScreenshot>& shot, int items,
                          const std::function<CodedRows::Verdict(const QImage&)>& verify);
