// Costs of the scrolling capture's frame analysis on full-HD frames and of a
// 50-frame stitch. Goal: every comparison far below a millisecond, so a capture
// is bound by scrolling, never by analysis.
#include "Screenshot/WindowShot.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr int W = 1920;
constexpr int H = 1080;
constexpr int Shift = H * 88 / 100; // one Page Down

// A page that never repeats, tall enough for 50 frames; like text, it changes
// in bands of a few rows, so near misses of the shift score better than far ones.
const QImage& page()
{
    static const QImage image = [] {
        const int rows = H + 50 * Shift;
        QImage p(W, rows, QImage::Format_RGB32);
        QRandomGenerator rng(42);
        for (int y = 0; y < rows; ++y) {
            auto* line = reinterpret_cast<quint32*>(p.scanLine(y));
            if (y % 6 != 0) {
                memcpy(line, p.constScanLine(y - 1), W * 4);
                continue;
            }
            for (int x = 0; x < W; ++x)
                line[x] = 0xff000000u | (rng.generate() & 0x00ffffffu);
        }
        return p;
    }();
    return image;
}

QImage frame(int index)
{
    return page().copy(0, index * Shift, W, H);
}

void BM_fixedEdges(benchmark::State& state)
{
    const QImage a = frame(0);
    const QImage b = frame(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(WindowShot::fixedEdges(a, b));
}
BENCHMARK(BM_fixedEdges)->Unit(benchmark::kMicrosecond);

void BM_contentShift(benchmark::State& state)
{
    const QImage a = frame(0);
    const QImage b = frame(1);
    int shift = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(shift = WindowShot::contentShift(a, b, 0, 0, H * 98 / 100, Shift));
    if (shift != Shift)
        state.SkipWithError("wrong shift");
}
BENCHMARK(BM_contentShift)->Unit(benchmark::kMicrosecond);

void BM_scrollbarWidth(benchmark::State& state)
{
    const QImage a = frame(0);
    const QImage b = frame(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(WindowShot::scrollbarWidth(a, b, Shift));
}
BENCHMARK(BM_scrollbarWidth)->Unit(benchmark::kMicrosecond);

void BM_stitch50Frames(benchmark::State& state)
{
    // The top frame and 49 strips of one Page Down each, as the loop cuts them.
    QList<StitchStrip> strips;
    strips.append({frame(0), H});
    for (int i = 1; i < 50; ++i)
        strips.append({frame(i).copy(0, H - Shift, W, Shift), Shift});
    const int total = H + 49 * Shift;
    for (auto _ : state) {
        const QImage out = stitchStrips(strips, W - 14, total);
        benchmark::DoNotOptimize(out.constBits());
    }
    state.counters["rows"] = total;
}
BENCHMARK(BM_stitch50Frames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
