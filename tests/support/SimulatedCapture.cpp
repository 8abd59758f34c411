#include "support/SimulatedCapture.h"

#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowScrollCapture.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakeApplicationIdentity.h"
#include "fakes/FakeScreenSource.h"
#include "support/AwaitTask.h"
#include "support/SimulatedWindow.h"

#include <QElapsedTimer>
#include <QTest>

struct SimulatedCapture::Fakes {
    FakeKeyWatch keys;
    ScrollCancel cancel{keys};
    FakeCapturePermissions permissions;
    FakeApplicationIdentity apps;
    std::shared_ptr<GrabExclusions> exclusions = std::make_shared<GrabExclusions>(nullptr);
    std::shared_ptr<FakeCompositingInfo> compositing = std::make_shared<FakeCompositingInfo>();
    ScrollProgressHUD panel{compositing, {}, *exclusions};
    ScrollCoverOverlay cover{compositing, {}, *exclusions, panel.progress()};
};

SimulatedCapture::SimulatedCapture()
    : m_fakes(std::make_unique<Fakes>())
{
    m_fakes->apps.apps.insert(SimulatedWindow::pid, {QStringLiteral("org.example.Browser"), QStringLiteral("Browser"), {}});
}

SimulatedCapture::~SimulatedCapture() = default;

QString SimulatedCapture::Outcome::summary() const
{
    return QStringLiteral("%1 — %2, %3; stop: %4; %5 screens, %6 s virtual, %7 ms")
        .arg(page, shot.incomplete ? QStringLiteral("marked incomplete") : QStringLiteral("marked complete"),
             verdict.whole ? QStringLiteral("whole") : verdict.problem, stop)
        .arg(screens, 0, 'f', 1)
        .arg(virtualMs / 1000.0, 0, 'f', 1)
        .arg(wallMs, 0, 'f', 0);
}

SimulatedCapture::Outcome SimulatedCapture::run(quint32 seed, SimulatedPage::Pick pick)
{
    Fakes& f = *m_fakes;
    if (!QTest::qWaitFor([&f] { return !f.cover.window(); }, 2000))
        qWarning("the cover of the last run is still shown");
    SimulatedPage page(seed, pick);
    const auto window = std::make_shared<SimulatedWindow>(page);
    const auto screens = std::make_shared<FakeScreenSource>();
    screens->addScreen(1, QRectF(0, 0, 1920, 1080), page.scale(), Qt::gray);
    const WindowGrabber grabber(window, screens, nullptr, f.exclusions);
    WindowScrollCapture capture({f.permissions, *screens, *window, *window, *window, f.apps, f.cancel, grabber, f.cover,
                                 f.panel, *window, nullptr});
    capture.setSleep([w = window.get()](int ms) { return w->sleep(ms); });

    Outcome out;
    out.page = page.describe();
    QElapsedTimer timer;
    timer.start();
    out.shot = awaitTask(capture.captureWindowScrolling(
        PickedWindow{SimulatedWindow::pid, page.windowPoints(), SimulatedWindow::window, page.sectionPoints()},
        QStringLiteral("Seite")), 600000);
    out.wallMs = timer.nsecsElapsed() / 1e6;
    QStringList stops;
    for (ScrollStop stop : out.shot.scrollStops)
        stops << ScrollStops::logLine(stop);
    out.stop = stops.join(QStringLiteral(", "));
    out.virtualMs = window->now();
    out.grabs = window->grabs();
    out.screens = double(out.shot.image.height()) / qMax(1, page.capturedRect().height());
    out.verdict = SimulatedVerdict::judge(page, out.shot.image);
    return out;
}
