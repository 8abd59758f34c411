#pragma once
// One scrolling capture of a real application through the program's own
// engine, as the user takes it: the picker is shown, the user clicks the
// window (or a point of it) or drags a section, and the result is read back.
#include "Screenshot/CapturedScreenshot.h"

#include <QPoint>
#include <QString>
#include <optional>

class ScrollApp;
class ScrollEngineRig;
class X11Probe;

struct ScrollAppCapture {
    std::optional<CapturedScreenshot> shot;
    QString fault;       // empty: every item once, whole and in order, and called complete
    double seconds = 0;  // from the pick to the result
};

enum class Pick { window, section };

// `at`: where a window pick clicks (default: the middle of the content).
ScrollAppCapture captureScrollApp(ScrollEngineRig& rig, ScrollApp& app, const X11Probe& mouse, Pick pick,
                                  std::optional<QPoint> at = std::nullopt);
