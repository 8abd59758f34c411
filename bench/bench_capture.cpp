// Freezing one screen: MIT-SHM against a plain GetImage against copying the
// same bytes in memory (the floor any grab can reach). Run it under an X
// server of the screen size to measure, e.g.
//   ZENTU_XVFB_SCREEN=3840x2160x24 tests/support/with-x11.sh build/bench/bench_capture
#include "Platform/X11/X11ScreenSource.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {
DisplayInfo firstDisplay(X11ScreenSource& source)
{
    const ShareableDisplays content = source.shareableDisplays();
    return content.displays.isEmpty() ? DisplayInfo{} : content.displays.first();
}

void label(benchmark::State& state, const DisplayInfo& display)
{
    const qint64 bytes = qint64(display.pixelRect.width()) * display.pixelRect.height() * 4;
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetLabel(std::to_string(display.pixelRect.width()) + "x" + std::to_string(display.pixelRect.height()));
}

void grab(benchmark::State& state, X11ScreenSource::GrabMethod method)
{
    X11ScreenSource source(method);
    const DisplayInfo display = firstDisplay(source);
    if (display.pixelRect.isEmpty()) {
        state.SkipWithError("no X display");
        return;
    }
    for (auto _ : state) {
        QImage image = source.captureDisplay(display, display.pixelRect.size(), false);
        if (image.isNull()) {
            state.SkipWithError("grab failed");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    label(state, display);
}

void BM_FreezeShm(benchmark::State& state) { grab(state, X11ScreenSource::GrabMethod::automatic); }
void BM_FreezePlainGetImage(benchmark::State& state) { grab(state, X11ScreenSource::GrabMethod::plainGetImage); }

// A new image of the same size filled from the same bytes: allocation plus
// one copy, like a grab without the server's part.
void BM_CopyInMemory(benchmark::State& state)
{
    X11ScreenSource source;
    const DisplayInfo display = firstDisplay(source);
    if (display.pixelRect.isEmpty()) {
        state.SkipWithError("no X display");
        return;
    }
    const QImage still = source.captureDisplay(display, display.pixelRect.size(), false);
    for (auto _ : state) {
        QImage copy(still.size(), still.format());
        std::memcpy(copy.bits(), still.constBits(), size_t(still.sizeInBytes()));
        benchmark::DoNotOptimize(copy.constBits());
    }
    label(state, display);
}
} // namespace

BENCHMARK(BM_FreezeShm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FreezePlainGetImage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CopyInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
