#include "Screenshot/ScrollCapture.h"

#include "Debug/DebugLog.h"
#include "Screenshot/ScrollTargetRoad.h"

#include <QWidget> // before the panel's header, which hands out a QWidget*
#include "Screenshot/ScrollProgressHUD.h"

#include <QWidget>

ScrollCapture::ScrollCapture(Picker picker, std::shared_ptr<ScrollTargetRoad> road, ScrollProgressHUD& panel)
    : m_state(std::make_shared<State>(State{std::move(picker), std::move(road), panel}))
{
}

QCoro::Task<std::optional<CapturedScreenshot>> ScrollCapture::run()
{
    const std::shared_ptr<State> state = m_state;
    if (state->running) {
        DebugLog::write(QStringLiteral("SCROLL: bereits aktiv — Doppelstart ignoriert"));
        co_return std::nullopt;
    }
    if (!state->picker || !state->road)
        co_return std::nullopt;
    state->running = true;
    const std::shared_ptr<ScrollTargetRoad> targets = state->road;
    const Picker pick = state->picker;
    struct Reset {
        State& state;
        bool panel = false;
        ~Reset()
        {
            if (panel)
                state.panel.hide();
            state.running = false;
        }
    } reset{*state};

    const std::optional<PickedWindow> picked = co_await pick();
    if (!picked)
        co_return std::nullopt;
    Target target = targets->resolveTarget(*picked);
    if (target.kind() != Target::Kind::window) {
        state->panel.show();
        reset.panel = true;
    }
    std::optional<CapturedScreenshot> shot = co_await targets->captureTarget(std::move(target));
    if (shot)
        shot->image.setDevicePixelRatio(1);
    co_return shot;
}
