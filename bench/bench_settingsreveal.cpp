// One frame of the settings window's reveal (the tabs fading in out of a blur
// over 0.45 s): it has to fit a 60 Hz frame (16.7 ms) with room to spare.
// The worst frame is the first, with the strongest blur.
#include "BenchMain.h"
#include "Storage/Storage.h"
#include "Settings/SettingsView.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

QImage picture(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = 0xff000000u | (random.generate() & 0x00ffffffu);
    }
    return image;
}

void revealFrame(benchmark::State& state)
{
    const QSize size(SettingsView::viewWidth, SettingsView::viewHeight);
    const QImage column = picture(size);
    const QImage half = column.scaled(size / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage splash = picture(size);
    QImage target(size, QImage::Format_ARGB32_Premultiplied);
    const double t = double(state.range(0)) / 100.0;
    for (auto _ : state) {
        QPainter p(&target);
        SettingsView::paintRevealFrame(p, size, column, half, splash, t, Qt::lightGray);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(revealFrame)->Arg(0)->Arg(50)->Arg(80)->Arg(95)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
