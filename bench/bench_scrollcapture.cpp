// The window scroll-and-stitch capture, as the user sees it: seconds per
// screen (window heights of result) and accuracy.
// - A list whose content is ten screens tall, whole window (Page Down) and
//   section (wheel): accuracy is the share of the result's rows equal to the
//   list's full rendering.
// - Debian's Chromium (long page under a sticky header, whole window and
//   section), Evince (five-page document, section) and xterm (2,000 lines,
//   whole window), where installed: accuracy is the share of the content's
//   items (sections, lines) found once, whole and in order; "complete" says
//   whether the capture called itself complete.
// Needs a display: run through bench/run-scrollcapture.sh (own Xvfb with
// openbox). Without one only the loop's own cost per step is measured,
// against a fake window with no waits.
#include "Platform/Qt/XdgPaths.h"
#include "Storage/DebugLog.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11RunningApplications.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowScrollCapture.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakeRunningApplications.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "helpers/CodedRows.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/ScrollApp.h"

#include <QApplication>
#include <QScreen>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

constexpr int header = 48;
constexpr int footer = 44;
constexpr int width = 600;
constexpr int height = 900;
constexpr int viewport = height - header - footer;
constexpr int screens = 10;

double equalRowShare(const QImage& result, const QImage& expected)
{
    const QImage a = result.convertToFormat(QImage::Format_RGB32);
    int equal = 0;
    for (int y = 0; y < qMin(a.height(), expected.height()); ++y)
        if (a.width() == expected.width()
            && memcmp(a.constScanLine(y), expected.constScanLine(y), size_t(a.width()) * 4) == 0)
            ++equal;
    return double(equal) / qMax(a.height(), expected.height());
}

// The scroll loop on the real X server, as the program assembles it.
struct X11Loop {
    std::shared_ptr<X11WindowServer> windows = std::make_shared<X11WindowServer>();
    std::shared_ptr<X11ScreenSource> screenSource = std::make_shared<X11ScreenSource>();
    std::shared_ptr<X11WindowRedirector> redirector = std::make_shared<X11WindowRedirector>();
    std::shared_ptr<X11CompositingInfo> compositing = std::make_shared<X11CompositingInfo>();
    std::shared_ptr<GrabExclusions> exclusions = std::make_shared<GrabExclusions>(redirector);
    WindowGrabber grabber{windows, screenSource, redirector, exclusions};
    ScrollCoverOverlay cover{compositing, Backdrop::grabScreens, *exclusions};
    ScrollProgressHUD panel{compositing, Backdrop::grabScreens, *exclusions};
    X11CapturePermissions permissions{*screenSource};
    X11WindowActivation activation;
    X11InputSynthesis input;
    X11RunningApplications applications;
    FakeKeyWatch keys;
    ScrollCancel cancel{keys};
    WindowScrollCapture loop{
        {permissions, *screenSource, *windows, activation, input, applications, cancel, grabber, cover, panel, nullptr}};
};

void captureList(benchmark::State& state, bool section)
{
    X11Loop x11;
    auto& windows = x11.windows;
    auto& loop = x11.loop;

    for (auto _ : state) {
        state.PauseTiming();
        QProcess list;
        list.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tests/zentu_scroll_list"),
                   {QStringLiteral("100"), QStringLiteral("60"), QString::number(width), QString::number(height),
                    QString::number(screens * viewport), QString::number(header), QString::number(footer),
                    QString::number(3 * viewport)});
        quint32 id = 0;
        if (list.waitForStarted(5000) && list.waitForReadyRead(15000))
            id = list.readLine().trimmed().toUInt();
        QRectF bounds;
        const bool ready = id && QTest::qWaitFor([&] {
            for (const WindowInfo& w : windows->windowList().value_or(QList<WindowInfo>()))
                if (w.number == id && w.bounds.size() == QSizeF(width, height))
                    bounds = w.bounds;
            return !bounds.isEmpty();
        }, 15000);
        if (!ready) {
            state.SkipWithError("the list did not show");
            return;
        }
        QTest::qWait(300);
        std::optional<QRectF> region;
        if (section)
            region = QRectF(bounds.x(), bounds.y() + header, width, viewport);
        const PickedWindow picked{qint32(list.processId()), bounds, id, region};
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        const QImage result = awaitTask(loop.captureWindowScrolling(picked, QStringLiteral("Liste")), 600000).image;
        const double seconds = timer.elapsed() / 1000.0;

        state.PauseTiming();
        const QImage expected = section ? ScrollPattern::content(width, screens * viewport)
                                        : ScrollPattern::fullRendering(width, screens * viewport, header, footer);
        state.counters["s_per_screen"] = seconds / screens;
        state.counters["accuracy"] = equalRowShare(result, expected);
        state.counters["height_px"] = result.height();
        list.closeWriteChannel();
        if (!list.waitForFinished(3000))
            list.kill();
        QTest::qWait(300); // cover and panel gone
        state.ResumeTiming();
    }
}

// One capture of a real application's content by the loop itself.
void captureApp(benchmark::State& state, ScrollApp::Kind kind, bool section, QRect rect)
{
    if (ScrollApp::executable(kind).isEmpty()) {
        state.SkipWithError("not installed");
        return;
    }
    X11Loop x11;
    auto& windows = x11.windows;
    auto& loop = x11.loop;

    for (auto _ : state) {
        state.PauseTiming();
        ScrollApp app(kind);
        if (!app.start(rect, *windows)) {
            state.SkipWithError(qPrintable(app.error()));
            return;
        }
        std::optional<QRectF> region;
        if (section)
            region = QRectF(app.contentArea());
        const PickedWindow picked{qint32(app.pid()), app.bounds(), app.window(), region};
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        const CapturedScreenshot shot = awaitTask(loop.captureWindowScrolling(picked, QStringLiteral("App")), 600000);
        const double seconds = timer.elapsed() / 1000.0;

        state.PauseTiming();
        const CodedRows::Verdict verdict = CodedRows::verify(shot.image, app.items(), app.pageBreakEvery());
        const double frame = region ? region->height() : app.bounds().height();
        state.counters["s_per_screen"] = seconds / (shot.image.height() / frame);
        state.counters["accuracy"] = double(verdict.found) / app.items();
        state.counters["complete"] = shot.incomplete ? 0 : 1;
        state.counters["seconds"] = seconds;
        if (!verdict.problem.isEmpty())
            state.SetLabel(verdict.problem.toStdString());
        state.ResumeTiming();
    }
    QTest::qWait(300); // cover and panel gone
}

void BM_WholeWindowTenScreens(benchmark::State& state) { captureList(state, false); }
void BM_SectionTenScreens(benchmark::State& state) { captureList(state, true); }

// The loop's own work per step (grabs, comparisons, strips, stitching) with
// no waits, against a fake window of the same size.
void BM_LoopWorkTenScreensFake(benchmark::State& state)
{
    FakeCapturePermissions permissions;
    FakeRunningApplications applications;
    applications.apps.insert(FakeScrollWorld::pid, {QStringLiteral("org.example.List"), QStringLiteral("Liste")});
    auto fakeScreens = std::make_shared<FakeScreenSource>();
    fakeScreens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
    FakeKeyWatch keys;
    ScrollCancel cancel(keys);
    const auto exclusions = std::make_shared<GrabExclusions>(nullptr);
    const auto compositing = std::make_shared<FakeCompositingInfo>();
    ScrollCoverOverlay cover(compositing, {}, *exclusions);
    ScrollProgressHUD panel(compositing, {}, *exclusions);
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_shared<FakeScrollWorld>(width, height, screens * viewport, header, footer);
        world->pageStep = viewport * 85 / 100;
        const WindowGrabber grabber(world, fakeScreens, nullptr, exclusions);
        WindowScrollCapture loop(
            {permissions, *fakeScreens, *world, *world, *world, applications, cancel, grabber, cover, panel, nullptr});
        loop.setSleep([](int) -> QCoro::Task<void> { co_return; });
        const PickedWindow picked{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, std::nullopt};
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const QImage result = awaitTask(loop.captureWindowScrolling(picked, QStringLiteral("Liste"))).image;
        const double ms = timer.nsecsElapsed() / 1e6;
        state.PauseTiming();
        state.counters["ms_per_screen"] = ms / screens;
        state.counters["accuracy"] = equalRowShare(result, world->fullRendering());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoopWorkTenScreensFake)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8()); // the debug log stays out of the user's data
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The log in the app folders of the XDG environment.
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>()));
    if (display) {
        benchmark::RegisterBenchmark("BM_WholeWindowTenScreens", BM_WholeWindowTenScreens)
            ->Unit(benchmark::kSecond)
            ->Iterations(1);
        benchmark::RegisterBenchmark("BM_SectionTenScreens", BM_SectionTenScreens)
            ->Unit(benchmark::kSecond)
            ->Iterations(1);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const struct {
            const char* name;
            ScrollApp::Kind kind;
            bool section;
            QRect rect;
        } apps[] = {
            {"BM_ChromiumWholeWindow", ScrollApp::Kind::chromium, false, QRect(80, 40, 1000, 900)},
            {"BM_ChromiumSection", ScrollApp::Kind::chromium, true, QRect(80, 40, 1000, 900)},
            {"BM_EvinceSection", ScrollApp::Kind::evince, true, QRect(120, 30, 900, 1000)},
            {"BM_XtermWholeWindow", ScrollApp::Kind::xterm, false, QRect(40, 10, 880, screen.height() - 80)},
        };
        for (const auto& a : apps)
            benchmark::RegisterBenchmark(a.name, [a](benchmark::State& state) { captureApp(state, a.kind, a.section, a.rect); })
                ->Unit(benchmark::kSecond)
                ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
