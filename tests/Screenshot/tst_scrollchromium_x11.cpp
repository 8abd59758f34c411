// Debian's Chromium showing a long local page under a sticky header, captured
// through the program's own scrolling capture on a real X server: the user
// clicks the browser window, or drags a section of the page. Without
// accessibility Chromium cannot tell the page's address, so the window is
// scrolled (Page Down first; under the sticky header a page step leaves no
// overlap and the wheel takes over) and stitched; with accessibility on its
// page is recognised and rendered whole. Every section must come back once,
// whole and in order. A plain long page of 110 sections under a 56 px sticky
// header, Chromium maximised, is captured several times in a row: each run
// must come back complete and the same.
#include "Debug/DebugLog.h"
#include "Screenshot/ScrollCapture.h"
#include "support/AwaitTask.h"
#include "support/CodedCapture.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/SessionBus.h"
#include "support/X11Probe.h"

#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

class TestScrollChromiumX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> bus;
    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        if (ScrollApp::executable(ScrollApp::Kind::chromium).isEmpty())
            QSKIP("chromium is not installed");
        // A bus of our own: the browser bridge asks the accessibility bus.
        bus = std::make_unique<SessionBus>();
        QVERIFY(bus->isRunning());
        rig = std::make_unique<ScrollEngineRig>();
    }

    void init() { DebugLog::restart(); }

    void wholeWindowIsScrolledWhenTheBrowserCannotTellItsPage()
    {
        ScrollApp app(ScrollApp::Kind::chromium);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        auto run = rig->startRun();
        mouse.click(app.contentArea().center());
        const QString fault = codedCaptureFault(awaitTask(std::move(run), 240000), app.items());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral(
            "BROWSER Chromium: kein Tab im gewählten Fenster. — Fenster wird gescrollt")));
    }

    void sectionIsScrolledWithTheWheel()
    {
        ScrollApp app(ScrollApp::Kind::chromium);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        // The page area, sticky header included.
        const QRect section = app.contentArea();
        auto run = rig->startRun();
        mouse.drag(section.topLeft(), section.bottomRight());
        const QString fault = codedCaptureFault(awaitTask(std::move(run), 240000), app.items());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(debugLogMessages().filter(QStringLiteral("SCROLL Mausrad: 120.0 px pro Klick")).size() > 0);
    }

    void longPageMaximisedAgainAndAgain()
    {
        ScrollApp app(ScrollApp::Kind::chromium, ScrollApp::Page::longPage);
        QVERIFY2(app.start(QGuiApplication::primaryScreen()->geometry(), rig->windows()), qPrintable(app.error()));
        QImage first;
        for (int run = 0; run < 3; ++run) {
            DebugLog::restart();
            // Clicked in the page, where the pointer then stays.
            const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, Pick::window);
            QVERIFY2(capture.fault.isEmpty(), qPrintable(QStringLiteral("run %1: ").arg(run) + capture.fault));
            const QImage image = capture.shot->image.convertToFormat(QImage::Format_RGB32);
            // The same picture every time, row for row.
            if (run == 0)
                first = image;
            else
                QCOMPARE(image, first);
        }
    }

    void longPageSection()
    {
        ScrollApp app(ScrollApp::Kind::chromium, ScrollApp::Page::longPage);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, Pick::section);
        QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
    }

    void recognisedPageIsRenderedWhole()
    {
        ScrollApp app(ScrollApp::Kind::chromium);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows(), true), qPrintable(app.error()));
        auto run = rig->startRun();
        mouse.click(app.contentArea().center());
        const QString fault = codedCaptureFault(awaitTask(std::move(run), 240000), app.items());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(debugLogMessages().contains(QStringLiteral("BROWSER Seite wird gerendert: ")
                                            + QUrl::fromLocalFile(app.document()).toDisplayString()));
    }
};

ZENTU_TEST_MAIN(TestScrollChromiumX11)
#include "tst_scrollchromium_x11.moc"
