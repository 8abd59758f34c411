// From the request of an interactive capture to its overlay mapped on the
// screen, painted and holding keyboard and pointer: freeze, window list,
// overlay windows, first paint. Run it under an X server of the screen size
// to measure, e.g.
//   ZENTU_XVFB_SCREEN=3840x2160x24 tests/support/with-x11.sh build/bench/bench_overlay
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Debug/DebugLog.h"
#include "Storage/AppFolders.h"
#include "Platform/X11/X11OverlayDesktop.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/CaptureOverlayView.h"
#include "Screenshot/CaptureOverlayWindow.h"
#include "Screenshot/ScreenshotService.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
bool processUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

void BM_CaptureRequestToOverlayMapped(benchmark::State& state)
{
    X11ScreenSource screens;
    X11WindowServer windowServer;
    X11OverlayDesktop desktop;
    X11WindowRedirector redirector(std::make_shared<X11CompositingInfo>());
    ScreenCapturer capturer(screens, windowServer);
    WindowDetector detector(windowServer, screens);
    ScreenshotService service(capturer, detector, desktop, redirector);
    const QList<ScreenInfo> list = screens.screens();
    if (list.isEmpty()) {
        state.SkipWithError("no X display");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        service.beginInteractiveCapture(true, nullptr, nullptr);
        const bool shown = processUntil([&] {
            CaptureOverlayController* c = service.overlayController();
            if (!c || !c->hasInput() || c->overlayWindows().isEmpty())
                return false;
            const CaptureOverlayView* view = c->overlayWindows().first()->contentView();
            return view && view->paintCount() > 0 && !desktop.isOffScreen(c->shownWindowIDs().first());
        });
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!shown) {
            state.SkipWithError("overlay did not appear");
            return;
        }
        const QList<quint64> ids = service.overlayController()->shownWindowIDs();
        service.overlayController()->finish(std::nullopt);
        processUntil([&] { return desktop.isOffScreen(ids.first()); });
        // Let the deferred deletions run before the next request.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const QRectF frame = list.first().frame;
    state.SetLabel(std::to_string(int(frame.width())) + "x" + std::to_string(int(frame.height())));
}
BENCHMARK(BM_CaptureRequestToOverlayMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
}

int main(int argc, char** argv)
{
    // The capture writes its log lines; keep them out of the user's folders.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    // The log in the app folders of the XDG environment.
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()).debugLog());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
