#include "App/CaptureBackends.h"

#include "App/ScrollCaptureEngine.h"
#include "Platform/RepaintWatch.h"
#include "Screenshot/ScrollCapture.h"

std::unique_ptr<ScrollCaptureEngine> CaptureBackends::makeScrollCaptureEngine()
{
    return nullptr;
}

std::unique_ptr<ScrollCapture> CaptureBackends::makeScrollCapture(ScrollCaptureEngine* engine)
{
    if (!engine)
        return nullptr;
    return std::make_unique<ScrollCapture>(engine->picker(), engine->road(), engine->panel());
}

std::unique_ptr<RepaintWatch> CaptureBackends::makeRepaintWatch()
{
    return nullptr;
}
