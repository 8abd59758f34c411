#include "App/ScrollCaptureEngine.h"

#include "Screenshot/ScrollCapture.h"
#include "Screenshot/WindowPicker.h"

namespace {
QCoro::Task<std::optional<PickedWindow>> pickWindow(PickedWindowLookup* lookup, ScreenSource* screens)
{
    WindowPicker picker(*lookup, *screens);
    co_return co_await picker.pick();
}
} // namespace

ScrollCaptureEngine::ScrollCaptureEngine(Services services)
    : m_services(services)
    , m_lookup(services.windows, services.accessibility, services.screens)
    , m_cancel(services.keys)
    , m_loop({services.permissions, services.screens, services.windows, services.activation, services.input,
              services.applications, m_cancel, &m_lookup})
    , m_pages(services.applications, services.browsers, services.viewers, m_cancel)
    , m_road(std::make_shared<BrowserTargetRoad>(m_pages, m_loop))
{
}

ScrollCaptureEngine::~ScrollCaptureEngine() = default;

ScrollCapture::Picker ScrollCaptureEngine::picker()
{
    PickedWindowLookup* lookup = &m_lookup;
    ScreenSource* screens = &m_services.screens;
    return [lookup, screens] { return pickWindow(lookup, screens); };
}
