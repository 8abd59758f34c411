#include "Screenshot/ScrollCapture.h"

#include "Storage/DebugLog.h"
#include "Screenshot/ScrollTargetRoad.h"

#include <QWidget> // before the panel's header, which hands out a QWidget*
#include "Screenshot/ScrollProgressHUD.h"

#include <QWidget>

namespace {
bool running = false;
ScrollCapture::Picker picker;
std::shared_ptr<ScrollTargetRoad> road;
} // namespace

void ScrollCapture::setPicker(Picker p)
{
    picker = std::move(p);
}

void ScrollCapture::setTargetRoad(std::shared_ptr<ScrollTargetRoad> r)
{
    road = std::move(r);
}

bool ScrollCapture::isRunning()
{
    return running;
}

QCoro::Task<std::optional<CapturedScreenshot>> ScrollCapture::run()
{
    if (running) {
        DebugLog::write(QStringLiteral("SCROLL: bereits aktiv — Doppelstart ignoriert"));
        co_return std::nullopt;
    }
    if (!picker || !road)
        co_return std::nullopt;
    running = true;
    // Held for the whole run, so a later set-up call cannot pull them away.
    const std::shared_ptr<ScrollTargetRoad> targets = road;
    const Picker pick = picker;
    struct Reset {
        bool panel = false;
        ~Reset()
        {
            if (panel)
                ScrollProgressHUD::shared().hide();
            running = false;
        }
    } reset;

    const std::optional<PickedWindow> picked = co_await pick();
    if (!picked)
        co_return std::nullopt;
    Target target = targets->resolveTarget(*picked);
    if (target.kind() != Target::Kind::window) {
        ScrollProgressHUD::shared().show();
        reset.panel = true;
    }
    std::optional<CapturedScreenshot> shot = co_await targets->captureTarget(std::move(target));
    if (shot)
        shot->image.setDevicePixelRatio(1);
    co_return shot;
}
