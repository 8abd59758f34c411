// The editor model under load: undo steps on a 4K screenshot with 200
// annotations (ten of them 2 MB pictures), and hit testing and marquee
// selection among 1,000 annotations with long freehand strokes and texts.
#include "BenchMain.h"
#include "Storage/Storage.h"
#include "Editor/AnnotationHitTest.h"
#include "Editor/EditorEnvironment.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorViewModel.h"
#include "support/EditorAnnotations.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

// Text metrics the plain way: a font per call, lines measured one by one.
struct FontMetricsEnvironment final : EditorEnvironment {
    QSizeF textSize(const QString& text, double fontSize, const std::optional<QString>& fontName) const override
    {
        QFont font(fontName.value_or(QString()));
        font.setPixelSize(int(fontSize));
        font.setWeight(QFont::DemiBold);
        const QFontMetricsF metrics(font);
        const QStringList lines = text.split(QLatin1Char('\n'));
        double width = 0;
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line.isEmpty() ? QStringLiteral(" ") : line));
        return {width, metrics.height() * double(lines.size())};
    }
    // The benchmark writes nothing back.
    void updateAnnotations(const QList<AnnotationObject>&, const ScreenshotItem&) override {}
    void updateImage(const QImage&, const QList<AnnotationObject>&, const ScreenshotItem&) override {}
};

// A stroke wandering over the image.
QList<QPointF> stroke(QRandomGenerator& rng, int n, QSizeF area)
{
    QList<QPointF> pts;
    QPointF p(rng.bounded(area.width()), rng.bounded(area.height()));
    for (int i = 0; i < n; ++i) {
        p += QPointF(rng.bounded(6.0) - 3, rng.bounded(6.0) - 3);
        pts.append(p);
    }
    return pts;
}

// count annotations of every kind; `strokes` of them freehand with
// `strokePoints` points, `texts` of them texts, `pictures` 2 MB pictures.
QList<AnnotationObject> annotations(int count, int strokes, int strokePoints, int texts, int pictures, QSizeF area)
{
    QRandomGenerator rng(7);
    QList<AnnotationObject> list;
    const QByteArray picture(2 * 1024 * 1024, 'x');
    const AnnotationKind shapes[] = {AnnotationKind::arrow, AnnotationKind::line, AnnotationKind::rectangle,
                                     AnnotationKind::ellipse, AnnotationKind::badge, AnnotationKind::speechBubble,
                                     AnnotationKind::blur, AnnotationKind::cursor};
    for (int i = 0; i < count; ++i) {
        const QPointF a(rng.bounded(area.width()), rng.bounded(area.height()));
        const QPointF b = a + QPointF(rng.bounded(300.0), rng.bounded(200.0));
        AnnotationObject o;
        if (i < strokes) {
            o = shape(AnnotationKind::freehand, stroke(rng, strokePoints, area));
        } else if (i < strokes + texts) {
            o = shape(AnnotationKind::text, {a});
            o.text = QStringLiteral("Hinweis %1\nzweite Zeile").arg(i);
            o.fontSize = 28;
        } else if (i < strokes + texts + pictures) {
            o = shape(AnnotationKind::image, {a, b});
            o.imageData = picture;
        } else {
            o = shape(shapes[i % 8], {a, b});
        }
        list.append(o);
    }
    return list;
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

const QSizeF size4K(3840, 2160);

// 100 recorded steps (a line-width change of one annotation each), then 100
// undos: the history's whole round trip.
void BM_HundredStepsAndUndos(benchmark::State& state)
{
    FontMetricsEnvironment env;
    QImage image(size4K.toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::darkCyan);
    const QList<AnnotationObject> list = annotations(200, 20, 500, 40, 10, size4K);

    // Retained memory: what 100 steps keep alive beyond the editor itself.
    size_t retained = 0;
    {
        EditorViewModel vm(image, itemWith(list), env);
        const size_t before = heapInUse();
        for (int i = 0; i < 100; ++i) {
            vm.setSelectedAnnotationID(vm.state().annotations[i].id);
            vm.setLineWidth(5 + i % 20);
        }
        retained = heapInUse() - before;
        if (vm.original().constBits() != image.constBits())
            state.SkipWithError("the image was copied");
    }

    EditorViewModel vm(image, itemWith(list), env);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            vm.setSelectedAnnotationID(vm.state().annotations[i].id);
            vm.setLineWidth(5 + (i + 1) % 20);
        }
        for (int i = 0; i < 100; ++i)
            vm.undo();
    }
    state.counters["retained_MB_per_100_steps"] = double(retained) / (1024 * 1024);
    state.counters["per_step_and_undo"] =
        benchmark::Counter(100, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
}
BENCHMARK(BM_HundredStepsAndUndos)->Unit(benchmark::kMillisecond);

// One press of the select tool: the topmost hit among 1,000 annotations.
void BM_TopHit(benchmark::State& state)
{
    FontMetricsEnvironment env;
    const QList<AnnotationObject> list = annotations(1000, 50, 2000, 200, 0, size4K);
    const AnnotationHitTest hitTest(env);
    QRandomGenerator rng(3);
    QList<QPointF> points;
    for (int i = 0; i < 256; ++i)
        points.append(QPointF(rng.bounded(size4K.width()), rng.bounded(size4K.height())));
    // A point beyond every annotation walks the whole list.
    if (state.range(0) == 0)
        points = {QPointF(-500, -500)};
    qsizetype n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(hitTest.topHit(list, points[n++ % points.size()]));
    state.SetLabel(state.range(0) == 0 ? "miss (whole list)" : "random points");
}
BENCHMARK(BM_TopHit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A marquee over the whole image: every bounding box is tested.
void BM_MarqueeSelect(benchmark::State& state)
{
    FontMetricsEnvironment env;
    QImage image(size4K.toSize(), QImage::Format_ARGB32_Premultiplied);
    EditorSession editor(image, itemWith(annotations(1000, 50, 2000, 200, 0, size4K)), env);
    EditorViewModel& vm = editor.model();
    vm.setTool(EditorTool::select);
    for (auto _ : state) {
        editor.selectionDrag().begin({-10, -10});
        editor.selectionDrag().update({4000, 3000});
        editor.selectionDrag().end();
    }
    if (vm.selectedIDs().size() != 1000)
        state.SkipWithError("the marquee missed annotations");
}
BENCHMARK(BM_MarqueeSelect)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
