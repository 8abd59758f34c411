// The flattened picture as copy, save, share and text recognition ask for it,
// and the blur tool's two effects on their own. Goals on this machine: a 4K
// picture with 50 annotations, 5 of them blur areas, within 100 ms; the
// Gaussian at amount 100 over a whole 4K picture within 100 ms; pixelation
// of a whole 4K picture within 30 ms.
//   build/bench/bench_render --benchmark_filter=Render/3840
#include "Editor/AnnotationRenderer.h"
#include "Editor/BlurProcessor.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

// Something like a screenshot: flat panels, lines of "text", a few photos' worth of noise.
QImage screenshotLike(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(246, 246, 248));
    QPainter p(&image);
    QRandomGenerator rng(1);
    for (int y = 0; y < h; y += 24)
        for (int x = 20; x < w - 200; x += 40 + int(rng.bounded(200)))
            p.fillRect(x, y + 8, 30 + int(rng.bounded(150)), 9, QColor(40, 40, 50));
    for (int i = 0; i < (w * h) / 400000; ++i)
        p.fillRect(int(rng.bounded(w)), int(rng.bounded(h)), 200, 150,
                   QColor(int(rng.bounded(256)), int(rng.bounded(256)), int(rng.bounded(256))));
    return image;
}

const QImage& picture(int w, int h)
{
    static QHash<QPair<int, int>, QImage> cache;
    auto it = cache.find({w, h});
    if (it == cache.end())
        it = cache.insert({w, h}, screenshotLike(w, h));
    return *it;
}

QByteArray smallPng()
{
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Annotations spread over the picture: `shapes` plain ones cycling through
// every drawn kind, plus `blurs` blur areas of 480 x 270 alternating both
// styles at amounts 30 and 100, plus `loupes` magnifiers.
QList<AnnotationObject> annotations(int w, int h, int shapes, int blurs, int loupes)
{
    QRandomGenerator rng(7);
    const auto at = [&](double margin) { return QPointF(margin + rng.bounded(w - 2 * margin), margin + rng.bounded(h - 2 * margin)); };
    static const QByteArray png = smallPng();
    QList<AnnotationObject> list;
    for (int i = 0; i < shapes; ++i) {
        AnnotationObject a;
        a.color = RGBAColor{0.9, 0.2, 0.2, 1};
        a.lineWidth = 4;
        const QPointF p = at(300);
        switch (i % 10) {
        case 0: a.kind = AnnotationKind::arrow; a.points = {p, p + QPointF(220, -120)}; break;
        case 1: a.kind = AnnotationKind::line; a.points = {p, p + QPointF(-200, 90)}; a.dashed = true; break;
        case 2: a.kind = AnnotationKind::rectangle; a.points = {p, p + QPointF(260, 140)}; a.cornerRadius = 12;
                a.fillColor = RGBAColor{0.9, 0.2, 0.2, 0.25}; break;
        case 3: a.kind = AnnotationKind::ellipse; a.points = {p, p + QPointF(200, 120)}; break;
        case 4: a.kind = AnnotationKind::freehand;
                for (int k = 0; k < 120; ++k)
                    a.points.append(p + QPointF(k * 2.0, 30 * std::sin(k / 8.0)));
                break;
        case 5: a.kind = AnnotationKind::text; a.points = {p}; a.text = QStringLiteral("Hier klicken\nund dann speichern");
                a.fontSize = 28; break;
        case 6: a.kind = AnnotationKind::badge; a.points = {p}; a.badgeNumber = i / 10 + 1; break;
        case 7: a.kind = AnnotationKind::speechBubble; a.points = {p, p + QPointF(260, 110)}; a.text = QStringLiteral("Achtung!"); break;
        case 8: a.kind = AnnotationKind::cursor; a.points = {p}; a.cursorStyle = QStringLiteral("solid_arrowClick");
                a.highlightEnabled = true; break;
        case 9: a.kind = AnnotationKind::image; a.points = {p, p + QPointF(160, 120)}; a.imageData = png; break;
        }
        list.append(a);
    }
    for (int i = 0; i < blurs; ++i) {
        AnnotationObject a;
        a.kind = AnnotationKind::blur;
        const QPointF p = at(300);
        a.points = {p, p + QPointF(480, 270)};
        a.blurStyle = i % 2 ? BlurStyle::gaussian : BlurStyle::pixelated;
        a.blurAmount = i % 3 ? 30 : 100;
        list.insert(int(rng.bounded(list.size() + 1)), a);
    }
    for (int i = 0; i < loupes; ++i) {
        AnnotationObject a;
        a.kind = AnnotationKind::magnifier;
        a.color = RGBAColor{0, 0, 0, 1};
        a.lineWidth = 3;
        const QPointF p = at(300);
        a.points = {p, p + QPointF(240, 240)};
        list.append(a);
    }
    return list;
}

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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
