#include "Screenshot/BrowserTargetRoad.h"

#include "Screenshot/BrowserCapture.h"
#include "Screenshot/WindowScrollCapture.h"

namespace {
QCoro::Task<std::optional<CapturedScreenshot>> scrollWindow(WindowScrollCapture* loop, PickedWindow window,
                                                            QString name)
{
    CapturedScreenshot shot = co_await loop->captureWindowScrolling(std::move(window), std::move(name));
    co_return shot;
}
} // namespace

BrowserTargetRoad::BrowserTargetRoad(BrowserCapture& browsers, WindowScrollCapture& windows)
    : m_browsers(browsers)
{
    WindowScrollCapture* loop = &windows;
    m_browsers.setWindowScroll(
        [loop](PickedWindow window, QString name) { return scrollWindow(loop, std::move(window), std::move(name)); });
}

Target BrowserTargetRoad::resolveTarget(const PickedWindow& picked)
{
    return m_browsers.resolveTarget(picked);
}

QCoro::Task<std::optional<CapturedScreenshot>> BrowserTargetRoad::captureTarget(Target target)
{
    co_return co_await m_browsers.captureTarget(std::move(target));
}
