#include "App/CoordinatorServices.h"

#include "App/ScrollCaptureEngine.h"

std::unique_ptr<ScrollCaptureEngine> CoordinatorServices::makeScrollCaptureEngine()
{
    return nullptr;
}
