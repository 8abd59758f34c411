#include "support/ScrollAppCapture.h"

#include "support/AwaitTask.h"
#include "support/CodedCapture.h"
#include "support/ScrollApp.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QElapsedTimer>

ScrollAppCapture captureScrollApp(ScrollEngineRig& rig, ScrollApp& app, const X11Probe& mouse, Pick pick,
                                  std::optional<QPoint> at)
{
    ScrollAppCapture out;
    auto run = rig.startRun();
    QElapsedTimer timer;
    timer.start();
    const QRect content = app.contentArea();
    if (pick == Pick::section)
        mouse.drag(content.topLeft(), content.bottomRight());
    else
        mouse.click(at.value_or(content.center()));
    out.shot = awaitTask(std::move(run), 280000);
    out.seconds = timer.elapsed() / 1000.0;
    out.fault = codedCaptureFault(out.shot, app.items(), [&](const QImage& image) { return app.verify(image); });
    if (out.shot) {
        const double frame = pick == Pick::section ? content.height() : app.bounds().height();
        qInfo("%.1f s, %.2f s per screen of output", out.seconds, out.seconds / (out.shot->image.height() / frame));
    }
    return out;
}
