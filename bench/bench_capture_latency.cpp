// Latency of the capture roads in the real program, on its own X server:
//  - hotkey press (XTest) -> the selection overlay visible: the screen's pixels
//    dimmed, as read back from the server by this separate client,
//  - hotkey press (XTest) -> the selection overlay mapped (Super+Shift+2),
//  - hotkey press (XTest) -> the full-screen capture's PNG complete on disk (Super+Shift+6).
// The desktop is plain white with the pointer in its upper right quarter, so
// the overlay's dimming shows at the screen's centre. Each road runs 9 times;
// read the median.
// Run through bench/capture_latency.sh, which provides the X server and the program.
#include "BenchProgram.h"

#include <benchmark/benchmark.h>

#include <QPoint>
#include <chrono>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/inotify.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t keySuper = BenchProgram::keySuper, keyShift = BenchProgram::keyShift, key2 = BenchProgram::key2,
                  key6 = BenchProgram::key6, keyEscape = BenchProgram::keyEscape;

struct App : BenchProgram {
    QPoint probe;
    int inotify = -1;

    bool start()
    {
        // No editor window: only the road itself is timed. The desktop is white
        // with the pointer in its upper right quarter.
        const bool started = BenchProgram::start([](AppSettings& s) { s.openEditorAfterCapture = false; }, [this] {
            const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(x, rootWindow, XCB_CW_EVENT_MASK, &mask);
            xcb_change_window_attributes(x, rootWindow, XCB_CW_BACK_PIXEL, &screenInfo->white_pixel);
            xcb_clear_area(x, 0, rootWindow, 0, 0, 0, 0);
            probe = QPoint(screen.width() / 2, screen.height() / 2);
            warpPointer(screen.width() * 3 / 4, screen.height() / 4);
            inotify = inotify_init1(IN_NONBLOCK);
            // (QSaveFile links a finished unnamed file into place: IN_CREATE.)
            inotify_add_watch(inotify, qPrintable(screenshotsFolder()), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
        });
        return started;
    }

    void stop()
    {
        BenchProgram::stop();
        if (inotify >= 0)
            close(inotify);
    }

    // The next mapped window as large as the screen.
    std::optional<Clock::time_point> waitForScreenSizedMap(int timeoutMs)
    {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < until) {
            while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
                const auto now = Clock::now();
                bool hit = false;
                if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                    auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                    if (auto* g = xcb_get_geometry_reply(x, xcb_get_geometry(x, m->window), nullptr)) {
                        hit = g->width == screen.width() && g->height == screen.height();
                        std::free(g);
                    }
                }
                std::free(e);
                if (hit)
                    return now;
            }
            pollfd p{xcb_get_file_descriptor(x), POLLIN, 0};
            poll(&p, 1, 5);
        }
        return std::nullopt;
    }

    // The pixel at the probe as the server shows it now (24-bit RGB).
    uint32_t probePixel()
    {
        xcb_get_image_reply_t* r = xcb_get_image_reply(
            x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, rootWindow, int16_t(probe.x()), int16_t(probe.y()), 1, 1, ~0u),
            nullptr);
        if (!r)
            return 0;
        uint32_t pixel = 0;
        if (xcb_get_image_data_length(r) >= 4)
            std::memcpy(&pixel, xcb_get_image_data(r), 4);
        std::free(r);
        return pixel & 0xffffff;
    }

    // Polls the probe until it shows (or stops showing) white.
    std::optional<Clock::time_point> waitForProbe(bool white, int timeoutMs)
    {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < until) {
            if ((probePixel() == 0xffffff) == white)
                return Clock::now();
            usleep(200);
        }
        return std::nullopt;
    }

    std::optional<Clock::time_point> waitForPng(int timeoutMs)
    {
        const auto until = Clock::now() + std::chrono::milliseconds(timeoutMs);
        alignas(inotify_event) char buffer[4096];
        while (Clock::now() < until) {
            pollfd p{inotify, POLLIN, 0};
            if (poll(&p, 1, 5) > 0) {
                const ssize_t n = read(inotify, buffer, sizeof buffer);
                for (ssize_t off = 0; off < n;) {
                    auto* ev = reinterpret_cast<inotify_event*>(buffer + off);
                    if (ev->len && QString::fromLocal8Bit(ev->name).endsWith(".png"))
                        return Clock::now();
                    off += ssize_t(sizeof(inotify_event) + ev->len);
                }
            }
        }
        return std::nullopt;
    }
};

App* app = nullptr;

// Presses the capture hotkey, times it until `arrived` reports the overlay, and
// closes the overlay again; false (the run skipped) when it never came.
bool overlayRound(benchmark::State& state, const std::function<std::optional<Clock::time_point>()>& arrived,
                  const char* missing)
{
    const auto start = Clock::now();
    app->press({keySuper, keyShift, key2});
    const auto at = arrived();
    if (!at) {
        state.SkipWithError(missing);
        return false;
    }
    state.SetIterationTime(std::chrono::duration<double>(*at - start).count());
    usleep(150000); // the overlay takes the keyboard after it is mapped
    app->press({keyEscape});
    return true;
}

void hotkeyToOverlay(benchmark::State& state)
{
    for (auto _ : state) {
        app->drainX();
        if (!overlayRound(state, [] { return app->waitForScreenSizedMap(5000); }, "no overlay within 5 s"))
            return;
        usleep(300000); // let the overlay close before the next round
    }
}

void hotkeyToVisibleOverlay(benchmark::State& state)
{
    for (auto _ : state) {
        if (!app->waitForProbe(true, 5000)) {
            state.SkipWithError("the desktop is not white at the probe");
            return;
        }
        if (!overlayRound(state, [] { return app->waitForProbe(false, 5000); }, "no overlay on screen within 5 s"))
            return;
        app->waitForProbe(true, 5000);
        usleep(300000);
    }
}

void hotkeyToPng(benchmark::State& state)
{
    for (auto _ : state) {
        const auto start = Clock::now();
        app->press({keySuper, keyShift, key6});
        const auto written = app->waitForPng(10000);
        if (!written) {
            state.SkipWithError("no PNG within 10 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*written - start).count());
        usleep(300000);
    }
}

// Two full-screen captures in a row, as a user takes them: the first with
// nothing of ours on screen, the second pressed as soon as the first one's PNG
// is on disk, while its toast is still shown. Each is timed from its hotkey to
// its PNG; the second must be as fast as the first.
void captureTwiceInARow(benchmark::State& state, bool second)
{
    for (auto _ : state) {
        usleep(2500000); // the previous toast has gone
        auto start = Clock::now();
        app->press({keySuper, keyShift, key6});
        auto written = app->waitForPng(10000);
        if (written && second) {
            start = Clock::now();
            app->press({keySuper, keyShift, key6});
            written = app->waitForPng(10000);
        }
        if (!written) {
            state.SkipWithError("no PNG within 10 s");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*written - start).count());
    }
}
void firstCapture(benchmark::State& state) { captureTwiceInARow(state, false); }
void secondCaptureRightAfter(benchmark::State& state) { captureTwiceInARow(state, true); }

} // namespace

BENCHMARK(firstCapture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(secondCaptureRightAfter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(hotkeyToVisibleOverlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(hotkeyToOverlay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(hotkeyToPng)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(9)->ReportAggregatesOnly(true);

int main(int argc, char** argv) { return runAgainstProgram(argc, argv, app, "bench_capture_latency"); }
