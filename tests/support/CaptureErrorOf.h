#pragma once
// The message of the CaptureError a piece of code throws; a null string when
// it throws none.
#include "Screenshot/CaptureError.h"

#include <QString>
#include <functional>

inline QString captureErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CaptureError& e) {
        return e.message();
    }
    return QString();
}
