// One frame of the editor's canvas as the window shows it: the canvas view
// rendered offscreen (QWidget::render), on a 1920 x 1080 screenshot in a view
// of 1224 x 650 points, at the fitted zoom and at 4x, with 50, 200 and 1000
// annotations of every kind or one freehand stroke of 10,000 points.
//   Move: one annotation moved by the select tool, as every frame of a move drag;
//   ZoomStep: the first frame after a zoom step, when every annotation is painted anew;
//   Draft: an arrow being drawn over the others;
//   DrawingLongStroke: the 10,000-point stroke itself while it is being drawn.
// Goal on this machine: at most 16 ms per frame at the fitted zoom with 200
// annotations.
//   build/bench/bench_canvas
#include "BenchMain.h"
#include "Storage/Storage.h"
#include "BenchAnnotations.h"
#include "Editor/AnnotationCanvasView.h"
#include "Editor/EditorSession.h"
#include "fakes/FakeEditorEnvironment.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
using namespace BenchAnnotations;

constexpr int pictureWidth = 1920, pictureHeight = 1080;

// n annotations of every kind, a twentieth of them blur areas and another twentieth loupes.
QList<AnnotationObject> mixed(int n)
{
    return annotations(pictureWidth, pictureHeight, n - 2 * (n / 20), n / 20, n / 20);
}

QList<AnnotationObject> longStroke()
{
    AnnotationObject a;
    a.kind = AnnotationKind::freehand;
    a.color = RGBAColor{0.9, 0.2, 0.2, 1};
    a.lineWidth = 4;
    for (int k = 0; k < 10000; ++k)
        a.points.append(QPointF(100 + k * 0.17, 540 + 300 * std::sin(k / 90.0)));
    return {a};
}

struct Canvas {
    FakeEditorEnvironment env;
    EditorSession session;
    EditorViewModel& vm;
    AnnotationCanvasView view;
    QImage target;

    static ScreenshotItem entry(const QList<AnnotationObject>& list)
    {
        ScreenshotItem item;
        item.annotations = list;
        return item;
    }
    Canvas(const QList<AnnotationObject>& list, double zoom)
        : session(picture(pictureWidth, pictureHeight), entry(list), env)
        , vm(session.model())
        , view(session)
    {
        view.resize(1224, 650);
        view.show();
        vm.setZoom(zoom);
        target = QImage(view.size(), QImage::Format_ARGB32_Premultiplied);
        frame(); // blur previews and pictures are made once, before any frame counts
    }
    void frame()
    {
        view.render(&target);
    }
};

QString label(int n, double zoom)
{
    return QStringLiteral("%1, zoom %2").arg(n ? QString::number(n) : QStringLiteral("10000-point stroke")).arg(zoom);
}

void BM_CanvasMove(benchmark::State& state)
{
    const int n = int(state.range(0));
    const double zoom = double(state.range(1));
    Canvas canvas(n ? mixed(n) : longStroke(), zoom);
    const QPointF grip = canvas.vm.state().annotations.first().points.first();
    canvas.vm.setTool(EditorTool::select);
    canvas.session.selectionDrag().begin(grip);
    // The drag's first frame sets apart what lies below and above the moved
    // annotation (as a zoom step costs); the frames after it count.
    canvas.session.selectionDrag().update(grip + QPointF(40, 0));
    canvas.frame();
    int step = 0;
    for (auto _ : state) {
        canvas.session.selectionDrag().update(grip + QPointF(++step % 40, 0));
        canvas.frame();
    }
    state.SetLabel(label(n, zoom).toStdString());
}

void BM_CanvasZoomStep(benchmark::State& state)
{
    const int n = int(state.range(0));
    const double zoom = double(state.range(1));
    Canvas canvas(n ? mixed(n) : longStroke(), zoom);
    bool up = false;
    for (auto _ : state) {
        up = !up;
        canvas.vm.setZoom(up ? zoom * 1.25 : zoom);
        canvas.frame();
    }
    state.SetLabel(label(n, zoom).toStdString());
}

void BM_CanvasDraft(benchmark::State& state)
{
    const int n = int(state.range(0));
    const double zoom = double(state.range(1));
    Canvas canvas(n ? mixed(n) : longStroke(), zoom);
    canvas.session.drawing().beginDrag(QPointF(900, 500));
    int step = 0;
    for (auto _ : state) {
        canvas.session.drawing().updateDrag(QPointF(900 + (step % 200), 500 + (step % 150)));
        ++step;
        canvas.frame();
    }
    state.SetLabel(label(n, zoom).toStdString());
}

// A 10,000-point stroke while it is being drawn: every frame strokes it whole.
void BM_CanvasDrawingLongStroke(benchmark::State& state)
{
    Canvas canvas({}, double(state.range(0)));
    canvas.vm.setTool(EditorTool::freehand);
    canvas.session.drawing().beginDrag(QPointF(100, 540));
    for (const AnnotationObject& a = longStroke().first(); const QPointF& p : a.points)
        canvas.session.drawing().updateDrag(p);
    int step = 0;
    for (auto _ : state) {
        canvas.session.drawing().updateDrag(QPointF(1800 + (step % 50), 540));
        ++step;
        canvas.frame();
    }
}

BENCHMARK(BM_CanvasMove)->ArgsProduct({{50, 200, 1000, 0}, {1, 4}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasZoomStep)->ArgsProduct({{50, 200, 1000, 0}, {1, 4}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasDraft)->ArgsProduct({{50, 200, 1000, 0}, {1, 4}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CanvasDrawingLongStroke)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
