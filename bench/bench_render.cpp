// The flattened picture as copy, save, share and text recognition ask for it,
// and the blur tool's two effects on their own. Goals on this machine: a 4K
// picture with 50 annotations, 5 of them blur areas, within 100 ms; the
// Gaussian at amount 100 over a whole 4K picture within 100 ms; pixelation
// of a whole 4K picture within 30 ms.
//   build/bench/bench_render --benchmark_filter=Render/3840
#include "BenchMain.h"
#include "Storage/Storage.h"
#include "BenchAnnotations.h"
#include "Editor/AnnotationRenderer.h"
#include "Editor/BlurProcessor.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {
using namespace BenchAnnotations;

// Arguments: width, height, annotation set (0: none, 1: 20 shapes, 2: 20 shapes
// + 5 blur areas, 3: 200 mixed, 4: 45 shapes + 5 blur areas).
void BM_Render(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    static const int sets[][3] = {{0, 0, 0}, {20, 0, 0}, {20, 5, 0}, {180, 15, 5}, {45, 5, 0}};
    const auto* set = sets[state.range(2)];
    const QImage& image = picture(w, h);
    const QList<AnnotationObject> list = annotations(w, h, set[0], set[1], set[2]);
    for (auto _ : state)
        benchmark::DoNotOptimize(AnnotationRenderer::render(image, list));
    static const char* names[] = {"none", "20 shapes", "20 shapes + 5 blur", "200 mixed", "50 incl. 5 blur"};
    state.SetLabel(names[state.range(2)]);
}
BENCHMARK(BM_Render)
    ->ArgsProduct({{1920}, {1080}, {0, 1, 2, 3}})
    ->ArgsProduct({{3840}, {2160}, {0, 1, 2, 3, 4}})
    ->ArgsProduct({{1600}, {20000}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Whole 4K picture; arguments: style (0 pixelated, 1 gaussian), amount.
void BM_Blur(benchmark::State& state)
{
    const QImage& image = picture(3840, 2160);
    const BlurStyle style = state.range(0) ? BlurStyle::gaussian : BlurStyle::pixelated;
    for (auto _ : state)
        benchmark::DoNotOptimize(BlurProcessor::process(image, style, double(state.range(1))));
    const double mpix = image.width() * double(image.height()) / 1e6;
    // Seconds per megapixel (shown with an SI prefix: "m" is milliseconds).
    state.counters["s_per_MP"] =
        benchmark::Counter(mpix, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetLabel(style == BlurStyle::gaussian ? "gaussian" : "pixelated");
}
BENCHMARK(BM_Blur)->ArgsProduct({{0, 1}, {0, 30, 100}})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
