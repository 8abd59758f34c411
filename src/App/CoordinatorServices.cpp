#include "App/CoordinatorServices.h"

#include "App/ScrollCaptureEngine.h"
#include "Platform/CompositingInfo.h"
#include "Platform/HeapTrimmer.h"
#include "Platform/RepaintWatch.h"

std::unique_ptr<ScrollCaptureEngine> CoordinatorServices::makeScrollCaptureEngine()
{
    return nullptr;
}

std::unique_ptr<RepaintWatch> CoordinatorServices::makeRepaintWatch()
{
    return nullptr;
}

std::shared_ptr<HeapTrimmer> CoordinatorServices::heapTrimmer()
{
    return nullptr;
}

std::shared_ptr<CompositingInfo> CoordinatorServices::compositing()
{
    return nullptr;
}

std::unique_ptr<ScrollCapture> CoordinatorServices::makeScrollCapture(ScrollCaptureEngine* engine)
{
    if (!engine)
        return nullptr;
    return std::make_unique<ScrollCapture>(engine->picker(), engine->road(), engine->panel());
}
