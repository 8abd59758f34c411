// Capture time of the whole-page roads as the app runs them, through the
// page-capture helper (its start included): a local HTML page of 20 screens
// rendered off screen, a page of 500 screens cut at the height limit (and
// marked incomplete), and a 20-page A4 PDF rendered page by page.
// The page part needs a display: run through bench/run-wholepage.sh (own
// Xvfb), or with DISPLAY set; without one only the PDF part runs.
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Screenshot/PageCaptureProcess.h"
#include "Debug/DebugLog.h"
#include "Storage/AppFolders.h"

#include <QApplication>
#include <QCoroTask>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QTemporaryDir* fixtures;

QString pdfFixture()
{
    const QString path = fixtures->filePath("twenty.pdf");
    if (QFile::exists(path))
        return path;
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter p(&writer);
    for (int i = 0; i < 20; ++i) {
        if (i > 0)
            writer.newPage();
        p.fillRect(QRect(0, 0, 595, 842), QColor::fromHsv(i * 17, 120, 230));
        p.setFont(QFont("DejaVu Sans", 14));
        for (int line = 0; line < 40; ++line)
            p.drawText(40, 60 + line * 18, QStringLiteral("Seite %1, Zeile %2: Lorem ipsum dolor sit amet").arg(i + 1).arg(line + 1));
    }
    return path;
}

QString htmlFixture()
{
    const QString path = fixtures->filePath("twenty.html");
    if (QFile::exists(path))
        return path;
    QByteArray html = "<!doctype html><html><body style='margin:0;font:16px sans-serif'>"
                      "<header style='position:fixed;top:0;width:100%;height:50px;background:#333'></header>";
    for (int i = 0; i < 20; ++i) {
        html += "<section style='height:900px;background:hsl(" + QByteArray::number(i * 17) + ",60%,85%)'>";
        for (int line = 0; line < 30; ++line)
            html += "<p>Bildschirm " + QByteArray::number(i + 1) + ", Absatz " + QByteArray::number(line + 1) + "</p>";
        html += "</section>";
    }
    html += "</body></html>";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(html);
    return path;
}

QString longFixture()
{
    const QString path = fixtures->filePath("fivehundred.html");
    if (QFile::exists(path))
        return path;
    QByteArray html = "<!doctype html><html><body style='margin:0;font:16px sans-serif'>";
    for (int i = 0; i < 500; ++i)
        html += "<section style='height:900px;background:hsl(" + QByteArray::number(i * 17 % 360)
            + ",60%,85%)'><p>Bildschirm " + QByteArray::number(i + 1) + "</p></section>";
    html += "</body></html>";
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(html);
    return path;
}

void BM_PdfTwentyA4Pages(benchmark::State& state)
{
    const QString path = pdfFixture();
    for (auto _ : state) {
        PageCaptureProcess helper;
        const PageCaptureProcess::Result shot = QCoro::waitFor(helper.renderDocument(path));
        benchmark::DoNotOptimize(shot->image.constBits());
        state.counters["height_px"] = shot->image.height();
    }
}
BENCHMARK(BM_PdfTwentyA4Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PageTwentyScreens(benchmark::State& state)
{
    const QUrl url = QUrl::fromLocalFile(htmlFixture());
    for (auto _ : state) {
        PageCaptureProcess helper;
        const PageCaptureProcess::Result shot = QCoro::waitFor(helper.capturePage(url));
        benchmark::DoNotOptimize(shot->image.constBits());
        state.counters["height_px"] = shot->image.height();
    }
}

void BM_PageFiveHundredScreensCut(benchmark::State& state)
{
    const QUrl url = QUrl::fromLocalFile(longFixture());
    for (auto _ : state) {
        PageCaptureProcess helper;
        int bands = 0;
        helper.setProgress([&bands](int done, int) { bands = done; });
        const PageCaptureProcess::Result shot = QCoro::waitFor(helper.capturePage(url));
        benchmark::DoNotOptimize(shot->image.constBits());
        state.counters["height_px"] = shot->image.height();
        state.counters["bands"] = bands;
        state.counters["incomplete"] = shot->incomplete;
    }
}
}

int main(int argc, char** argv)
{
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The log in the app folders of the XDG environment.
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()).debugLog());
    QTemporaryDir dir;
    fixtures = &dir;
    if (display) {
        benchmark::RegisterBenchmark("BM_PageTwentyScreens", BM_PageTwentyScreens)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
        benchmark::RegisterBenchmark("BM_PageFiveHundredScreensCut", BM_PageFiveHundredScreensCut)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
