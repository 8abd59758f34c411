// The window scroll-and-stitch capture, as the user sees it: seconds per
// screen (window heights of result) and accuracy.
// - A list whose content is ten screens tall, whole window (Page Down) and
//   section (wheel): accuracy is the share of the result's rows equal to the
//   list's full rendering.
// - Debian's Chromium and Firefox ESR (a long page under a sticky header,
//   maximised or as a section; a page with a sticky navigation column; one
//   with a ticking clock), Evince (40-page document, section), xterm (3,000
//   lines), zenity (800-row list) and Mousepad (2,000-line file), where
//   installed, timed from the start of the scroll loop to the PNG on disk:
//   seconds per screen of output, items found once, whole and in order (of
//   how many), and whether the capture called itself complete.
// Needs a display: run through bench/run-scrollcapture.sh (own Xvfb with
// openbox). Without one only the loop's own cost per step is measured,
// against a fake window with no waits. ZENTU_BENCH_DATA=<folder> keeps the
// debug log there.
#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Qt/XdgPaths.h"
#include "Debug/DebugLog.h"
#include "Storage/AppFolders.h"
#include "Platform/Qt/SteadyClock.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11ApplicationIdentity.h"
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
#include "fakes/FakeClock.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakeApplicationIdentity.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "helpers/CodedRows.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/ScrollApp.h"
#include "support/ScrollEngineRig.h"
#include "support/SessionBus.h"

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
    std::shared_ptr<X11CompositingInfo> compositing = std::make_shared<X11CompositingInfo>();
    std::shared_ptr<X11WindowRedirector> redirector = std::make_shared<X11WindowRedirector>(compositing);
    std::shared_ptr<GrabExclusions> exclusions = std::make_shared<GrabExclusions>(redirector);
    WindowGrabber grabber{windows, screenSource, redirector, exclusions};
    ScrollProgressHUD panel{compositing, Backdrop::grabScreens, *exclusions};
    ScrollCoverOverlay cover{compositing, Backdrop::grabScreens, *exclusions, panel.progress()};
    X11CapturePermissions permissions{*screenSource};
    X11WindowActivation activation;
    X11InputSynthesis input;
    X11ApplicationIdentity applications;
    FakeKeyWatch keys;
    ScrollCancel cancel{keys};
    SteadyClock clock;
    WindowScrollCapture loop{{permissions, *screenSource, *windows, activation, input, applications, cancel, grabber,
                              cover, panel, clock, nullptr}};
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

// One capture of a real application's content by the program's own engine
// (with the accessibility bus of a session bus of its own, as on a desktop),
// timed from the start of the loop to the PNG written to disk.
void captureApp(benchmark::State& state, ScrollApp::Kind kind, ScrollApp::Page page, bool section, QRect rect)
{
    if (ScrollApp::executable(kind).isEmpty()) {
        state.SkipWithError("not installed");
        return;
    }
    SessionBus bus;
    ScrollEngineRig rig(true);
    WindowScrollCapture& loop = rig.engine().loop();
    QTemporaryDir out;

    for (auto _ : state) {
        state.PauseTiming();
        ScrollApp app(kind, page);
        if (!app.start(rect, rig.windows(), true)) {
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
        const double captured = timer.elapsed() / 1000.0;
        shot.image.save(out.filePath(QStringLiteral("shot.png")), "PNG");
        const double seconds = timer.elapsed() / 1000.0;

        state.PauseTiming();
        const CodedRows::Verdict verdict = app.verify(shot.image);
        const double frame = region ? region->height() : app.bounds().height();
        const double screensOut = shot.image.height() / frame;
        state.counters["s_per_screen"] = seconds / screensOut;
        state.counters["png_s"] = seconds - captured;
        state.counters["items"] = verdict.found;
        state.counters["of"] = app.items();
        state.counters["complete"] = shot.incomplete ? 0 : 1;
        state.counters["seconds"] = seconds;
        if (!verdict.problem.isEmpty())
            state.SetLabel(verdict.problem.toStdString());
        QTest::qWait(300); // cover and panel gone
        state.ResumeTiming();
    }
}

void BM_WholeWindowTenScreens(benchmark::State& state) { captureList(state, false); }
void BM_SectionTenScreens(benchmark::State& state) { captureList(state, true); }

// The loop's own work per step (grabs, comparisons, strips, stitching) with
// no waits, against a fake window of the same size.
void BM_LoopWorkTenScreensFake(benchmark::State& state)
{
    FakeCapturePermissions permissions;
    FakeApplicationIdentity applications;
    applications.apps.insert(FakeScrollWorld::pid, {QStringLiteral("org.example.List"), QStringLiteral("Liste")});
    auto fakeScreens = std::make_shared<FakeScreenSource>();
    fakeScreens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
    FakeKeyWatch keys;
    ScrollCancel cancel(keys);
    const auto exclusions = std::make_shared<GrabExclusions>(nullptr);
    const auto compositing = std::make_shared<FakeCompositingInfo>();
    ScrollProgressHUD panel(compositing, {}, *exclusions);
    ScrollCoverOverlay cover(compositing, {}, *exclusions, panel.progress());
    // The loop's waits are skipped; the clock goes with them.
    FakeClock clock;
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_shared<FakeScrollWorld>(width, height, screens * viewport, header, footer);
        world->pageStep = viewport * 85 / 100;
        const WindowGrabber grabber(world, fakeScreens, nullptr, exclusions);
        WindowScrollCapture loop(
            {permissions, *fakeScreens, *world, *world, *world, applications, cancel, grabber, cover, panel, clock, nullptr});
        loop.setSleep([&clock](int ms) -> QCoro::Task<void> {
            clock.advance(ms);
            co_return;
        });
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
    // The debug log stays out of the user's data; ZENTU_BENCH_DATA keeps it
    // (its phase times show where a run spends its time, whatever the load).
    const QString data = qEnvironmentVariable("ZENTU_BENCH_DATA", home.path());
    qputenv("XDG_DATA_HOME", data.toUtf8());
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (!display)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The log in the app folders of the XDG environment.
    DebugLog::File log(AppFolders(std::make_shared<XdgPaths>(), std::make_shared<PosixFileCalls>()).debugLog());
    if (display) {
        benchmark::RegisterBenchmark("BM_WholeWindowTenScreens", BM_WholeWindowTenScreens)
            ->Unit(benchmark::kSecond)
            ->Iterations(1);
        benchmark::RegisterBenchmark("BM_SectionTenScreens", BM_SectionTenScreens)
            ->Unit(benchmark::kSecond)
            ->Iterations(1);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        using Kind = ScrollApp::Kind;
        using Page = ScrollApp::Page;
        const struct {
            const char* name;
            Kind kind;
            Page page;
            bool section;
            QRect rect;
        } apps[] = {
            {"BM_ChromiumLongPageMaximised", Kind::chromium, Page::longPage, false, screen},
            {"BM_ChromiumLongPageSection", Kind::chromium, Page::longPage, true, QRect(80, 40, 1000, 900)},
            {"BM_ChromiumStickySidebar", Kind::chromium, Page::stickySidebar, false, QRect(80, 40, 1000, 900)},
            {"BM_ChromiumTickingClock", Kind::chromium, Page::tickingClock, false, QRect(80, 40, 1000, 900)},
            {"BM_FirefoxLongPage", Kind::firefox, Page::longPage, false, QRect(80, 40, 1000, 900)},
            {"BM_FirefoxLongPageSection", Kind::firefox, Page::longPage, true, QRect(80, 40, 1000, 900)},
            {"BM_FirefoxStickySidebar", Kind::firefox, Page::stickySidebar, false, QRect(80, 40, 1000, 900)},
            {"BM_FirefoxTickingClock", Kind::firefox, Page::tickingClock, false, QRect(80, 40, 1000, 900)},
            {"BM_EvinceSection", Kind::evince, Page::plain, true, QRect(120, 30, 900, 1000)},
            {"BM_XtermWholeWindow", Kind::xterm, Page::plain, false, QRect(40, 10, 880, screen.height() - 80)},
            {"BM_ZenityList", Kind::zenity, Page::plain, false, QRect(200, 60, 600, 900)},
            {"BM_MousepadFile", Kind::mousepad, Page::plain, false, QRect(100, 20, 800, 1000)},
        };
        for (const auto& a : apps)
            benchmark::RegisterBenchmark(a.name, [a](benchmark::State& state) {
                captureApp(state, a.kind, a.page, a.section, a.rect);
            })->Unit(benchmark::kSecond)->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
