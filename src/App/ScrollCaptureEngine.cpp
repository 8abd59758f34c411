#include "App/ScrollCaptureEngine.h"

#include "Screenshot/ScrollCapture.h"
#include "Screenshot/WindowPicker.h"

namespace {
QCoro::Task<std::optional<PickedWindow>> pickWindow(PickedWindowLookup* lookup, ScreenSource* screens,
                                                     Backdrop::Source backdrop)
{
    WindowPicker picker(*lookup, *screens, std::move(backdrop));
    co_return co_await picker.pick();
}
} // namespace

ScrollCaptureEngine::ScrollCaptureEngine(Services services)
    : m_services(services)
    , m_exclusions(std::make_shared<GrabExclusions>(services.redirector))
    , m_grabber(services.windows, services.screens, services.redirector, m_exclusions)
    , m_panel(services.compositing, services.backdrop, *m_exclusions)
    , m_cover(services.compositing, services.backdrop, *m_exclusions, m_panel.progress())
    , m_lookup(*services.windows, services.accessibility, *services.screens)
    , m_cancel(services.keys)
    , m_loop({services.permissions, *services.screens, *services.windows, services.activation, services.input,
              services.applications, m_cancel, m_grabber, m_cover, m_panel, services.clock, &m_lookup})
    , m_pages(services.applications, services.browsers, services.viewers, m_cancel, m_panel.progress())
    , m_road(std::make_shared<BrowserTargetRoad>(m_pages, m_loop))
{
}

ScrollCaptureEngine::~ScrollCaptureEngine() = default;

ScrollCapture::Picker ScrollCaptureEngine::picker()
{
    PickedWindowLookup* lookup = &m_lookup;
    ScreenSource* screens = m_services.screens.get();
    Backdrop::Source backdrop = m_services.backdrop;
    return [lookup, screens, backdrop] { return pickWindow(lookup, screens, backdrop); };
}
