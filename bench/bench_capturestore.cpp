// The end of one full-screen capture at 1920x1080, as far as the disk and
// the clipboard are concerned: the picture stored in the history (thumbnail,
// PNG, record) and its PNG data made for the clipboard. Measured as CPU time
// of the whole process (worker threads included) per capture, with one PNG
// encoding shared by both (as the app does) and, for comparison, with each
// encoding on its own (as earlier versions did).
#include "BenchMain.h"
#include "BenchServices.h"
#include "Platform/KeyboardInfo.h"
#include "Platform/LoginItemService.h"
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Platform/UserDefaults.h"
#include "Storage/ImageOps.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/SettingsManager.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>
#include <ctime>

namespace {

// A desktop as a capture sees it: a wallpaper gradient, windows with title
// bars and lines of text.
QImage desktop()
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient wallpaper(0, 0, 1920, 1080);
    wallpaper.setColorAt(0, QColor(40, 70, 120));
    wallpaper.setColorAt(1, QColor(120, 60, 90));
    p.fillRect(image.rect(), wallpaper);
    for (int w = 0; w < 4; ++w) {
        const QRect window(80 + w * 380, 60 + w * 120, 900, 640);
        p.fillRect(window, QColor(250, 250, 250));
        p.fillRect(window.x(), window.y(), window.width(), 32, QColor(220, 220, 225));
        p.setPen(Qt::black);
        for (int line = 0; line < 26; ++line)
            p.drawText(window.x() + 16, window.y() + 60 + line * 22,
                       QStringLiteral("Zeile %1: Lorem ipsum dolor sit amet, consectetur adipiscing elit %2").arg(line).arg(w));
    }
    return image;
}

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void BM_CaptureStoredAndCopied(benchmark::State& state)
{
    const bool shared = state.range(0);
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    BenchSettings benchSettings;
    SettingsManager& settings = benchSettings.manager;
    settings.update([](AppSettings& s) { s.maxScreenshotItems = 5; });
    ScreenshotHistoryStore store(settings, AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()));
    const QImage image = desktop();
    qint64 pngBytes = 0;
    const double before = processCpuMs();
    for (auto _ : state) {
        QFuture<std::optional<QByteArray>> png = QtConcurrent::run([image] { return ImageOps::pngData(image); });
        if (shared) {
            store.add(image, CaptureKind::fullScreen, {}, png);
        } else {
            store.add(image, CaptureKind::fullScreen); // encodes the picture itself
        }
        pngBytes = png.result().value_or(QByteArray()).size(); // the clipboard's copy
        store.waitForPendingWrites();
    }
    state.counters["cpu_ms_per_capture"] = (processCpuMs() - before) / double(state.iterations());
    state.counters["png_bytes"] = double(pngBytes);
}
BENCHMARK(BM_CaptureStoredAndCopied)->ArgName("oneEncoding")->Arg(0)->Arg(1)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks(argc, argv);
}
