// The window scroll loop against a fake scrollable window: what it stitches
// (header once, every content row, footer once, no scrollbar), how it scrolls
// (keys for a window, wheel clicks for a section), every way it stops, the
// permission and grab errors, the pointer coming back, and the focus check
// that keeps synthetic keys out of other applications.
#include "Storage/DebugLog.h"
#include "Screenshot/BrowserCapture.h"
#include "Screenshot/BrowserTargetRoad.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/WindowScrollCapture.h"
#include "Screenshot/WindowShot.h"
#include "fakes/FakeBrowserBridge.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakePdfViewerBridge.h"
#include "fakes/FakeRunningApplications.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroTask>
#include <QFile>

class TestScrollLoop : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeScrollWorld> world;
    std::shared_ptr<FakeScreenSource> screens;
    std::shared_ptr<FakeKeyWatch> keyWatch;
    std::unique_ptr<ScrollCancel> cancel;
    FakeCapturePermissions permissions;
    FakeRunningApplications apps;
    std::unique_ptr<WindowScrollCapture> capture;
    QList<QRectF> covers;
    int cleanups = 0;
    qint64 clock = 0;
    std::function<void()> onSleep;

    void setUpWorld(std::shared_ptr<FakeScrollWorld> w)
    {
        world = std::move(w);
        WindowShot::setBackends(world, screens);
        capture = std::make_unique<WindowScrollCapture>(
            WindowScrollCapture::Backends{permissions, *screens, *world, *world, *world, apps, *cancel, nullptr});
        capture->setGrab([](QRectF region, qreal scale) -> QCoro::Task<QImage> {
            co_return WindowShot::image(region, scale);
        });
        capture->setSleep([this](int ms) -> QCoro::Task<void> {
            clock += ms;
            if (onSleep)
                onSleep();
            co_return;
        });
        capture->setShowCover([this](const QRectF& r) { covers.append(r); });
        capture->setHideOwnWindows([] {});
        capture->setCleanup([this] {
            ++cleanups;
            cancel->end();
        });
    }

    // The stitched image; whether the loop called it incomplete stays in `incomplete`.
    QImage run(std::optional<QRectF> section = std::nullopt)
    {
        PickedWindow picked{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, section};
        const CapturedScreenshot shot = awaitTask(capture->captureWindowScrolling(picked, QStringLiteral("Liste")));
        incomplete = shot.incomplete;
        return shot.image;
    }
    bool incomplete = false;

    static QString logText()
    {
        QFile file(DebugLog::filePath());
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }
    static int count(const QStringList& list, const QString& value) { return int(list.count(value)); }

private Q_SLOTS:
    void init()
    {
        QTest::qWait(1); // clean-ups of the previous test
        DebugLog::restart();
        screens = std::make_shared<FakeScreenSource>();
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
        cancel.reset(); // after the previous test's posted clean-up ran
        keyWatch = std::make_shared<FakeKeyWatch>();
        cancel = std::make_unique<ScrollCancel>(*keyWatch);
        permissions = FakeCapturePermissions();
        apps = FakeRunningApplications();
        apps.apps.insert(FakeScrollWorld::pid, {QStringLiteral("org.example.List"), QStringLiteral("Liste")});
        covers.clear();
        cleanups = 0;
        clock = 0;
        onSleep = nullptr;
    }

    void cleanup()
    {
        capture.reset();
        WindowShot::setBackends(nullptr, nullptr);
        cancel->end();
    }

    void wholeWindowGivesHeaderEveryRowFooterWithoutScrollbar()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 600, 2500, 60, 48, 14));
        world->scrollTo(700); // starts somewhere in the middle
        const QImage result = run();
        QCOMPARE(result.size(), world->fullRendering().size());
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering());
        QCOMPARE(result.devicePixelRatio(), 1.0);

        // Scrolled to the top with Control+Home and Page Up, down with Page Down.
        QCOMPARE(world->events.first(), QStringLiteral("ctrl+home"));
        QVERIFY(!world->events.contains(QStringLiteral("wheel-1")));
        QCOMPARE(world->activations, QList<quint32>{FakeScrollWorld::window});
        QCOMPARE(covers, QList<QRectF>{world->bounds});
        QCOMPARE(world->hides, 0);

        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("SCROLL Nach Aktivierung vorne: Liste (pid 4242, Ziel-pid 4242)\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Fenster-Capture: Liste, Startbild 300x600, scale=1.0\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Nach oben gescrollt\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Feste Ränder: oben 60, unten 48 px\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Scrollleiste erkannt: 14 px\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Schritt → Verschiebung=393 px\n"))); // 0.8 of the viewport
        QVERIFY(log.contains(QStringLiteral("SCROLL Streifen 1: +393 px\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Fensterende erreicht\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Fenster-Capture fertig: ")));
        QVERIFY(!log.contains(QStringLiteral("WARNUNG")));

        // The clean-up comes after the result, from the event loop.
        QCOMPARE(cleanups, 0);
        QTRY_COMPARE(cleanups, 1);
    }

    void sectionScrollsWithTheWheelUnderTheHiddenPointer()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 400, 1500, 60, 48, 14));
        world->scrollTo(300);
        world->pointer = QPointF(900, 700);
        // The content area, scrollbar included.
        const QRectF section(world->bounds.x(), world->bounds.y() + 60, 300, 292);
        const QImage result = run(section);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->content);
        for (const QString& e : std::as_const(world->events))
            QVERIFY2(e.startsWith(QStringLiteral("wheel")), qPrintable(e));
        QVERIFY(world->events.contains(QStringLiteral("wheel1")));
        QVERIFY(world->events.contains(QStringLiteral("wheel-1")));
        // Hidden once, shown again and back where it was.
        QCOMPARE(world->hides, 1);
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));
        QVERIFY(world->warps.contains(section.center()));
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("SCROLL Abschnitt gewählt: 300x292 @ 100,110\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Feste Ränder: oben 0, unten 0 px\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Scrollleiste erkannt: 14 px\n")));
    }

    void pointerComesBackWhenTheFirstFrameFails()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 400, 1500));
        world->pointer = QPointF(900, 700);
        world->failGrabsFrom = 0;
        try {
            run(QRectF(120, 80, 200, 200));
            QFAIL("no error");
        } catch (const CaptureError& e) {
            QCOMPARE(e.message(), QStringLiteral("Fenster konnte nicht abfotografiert werden. Bildschirmaufnahme erlaubt?"));
        }
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));
        QTRY_COMPARE(cleanups, 1);
    }

    void permissionChecks()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 300));
        // A negative preflight with a working test capture goes on.
        permissions.preflight = false;
        QVERIFY(!run().isNull());
        QCOMPARE(permissions.requestCalls, 0);
        QTRY_COMPARE(cleanups, 1);

        // A failing test capture ends the run before anything is shown.
        screens->failingDisplays = {1};
        covers.clear();
        try {
            run();
            QFAIL("no error");
        } catch (const CaptureError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Bildschirmaufnahme erlauben: ")));
        }
        QCOMPARE(permissions.requestCalls, 1);
        QVERIFY(covers.isEmpty());
        QVERIFY(logText().contains(QStringLiteral("SCROLL Bildschirmaufnahme fehlt — Zugriff angefragt\n")));

        // No synthetic input.
        permissions.preflight = true;
        permissions.trusted = false;
        try {
            run();
            QFAIL("no error");
        } catch (const CaptureError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Bedienungshilfen erlauben: ")));
        }
        QCOMPARE(permissions.prompts, 1);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Bedienungshilfen fehlen — Scroll-Events würden verworfen\n")));
        QTest::qWait(10);
        QCOMPARE(cleanups, 1); // none for the refused runs
    }

    void contentThatNeverMovesGivesTheTopFrameMarkedIncomplete()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->frozen = true;
        const QImage result = run();
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->render());
        // One Page Down; it moved nothing, so the wheel was tried twice more.
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 1);
        QVERIFY(world->events.endsWith(QStringLiteral("wheel-1")));
        QVERIFY(incomplete); // it may simply not react to synthetic input
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("SCROLL Fensterende erreicht\n")));
        QVERIFY(log.contains(QStringLiteral(
            "SCROLL WARNUNG: kein Streifen — Fenster reagierte evtl. nicht auf synthetisches Scrollen\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Fenster-Capture fertig: 1 Streifen, 300 px hoch\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Unvollständig: nichts gescrollt\n")));
    }

    void contentChangingInPlace()
    {
        // A small animation: every step confirms "no shift"; the eighth in a row ends it.
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->noise = true;
        world->noiseRows = 4;
        QCOMPARE(run().height(), 300);
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 8);
        QVERIFY(incomplete);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Kein sauberer Versatz mehr — Ende (Sicherheitsnetz)\n")));

        // A large change that is no movement: the seam cannot be confirmed,
        // the capture ends at once with what it has.
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->noise = true;
        QCOMPARE(run().height(), 300);
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 1);
        QVERIFY(incomplete);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Unvollständig: Naht nicht bestätigt\n")));
    }

    void keysStopWhenTheTargetLosesTheFocus()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->focusLostAfterKeys = 4; // Control+Home, Page Up, two Page Downs
        const QImage result = run();
        QStringList keys = world->events;
        keys.removeIf([](const QString& e) { return e.startsWith(QStringLiteral("wheel")); });
        QCOMPARE(keys, (QStringList{"ctrl+home", "pageUp", "pageDown", "pageDown"}));
        QCOMPARE(result.height(), 300 + 2 * 240);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering().copy(0, 0, 200, 780));
        QVERIFY(incomplete);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Fokus nicht mehr beim Ziel — bis hier zusammensetzen\n")));

        // A target that never gets the focus receives no key at all.
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->activate(FakeScrollWorld::otherWindow);
        struct NoActivation final : WindowActivation {
            void activate(quint32) override { }
            std::optional<quint32> activeWindow() override { return FakeScrollWorld::otherWindow; }
        } refusing;
        WindowScrollCapture stubborn({permissions, *screens, *world, refusing, *world, apps, *cancel, nullptr});
        stubborn.setSleep([](int) -> QCoro::Task<void> { co_return; });
        stubborn.setShowCover([](const QRectF&) {});
        stubborn.setHideOwnWindows([] {});
        stubborn.setCleanup([] {});
        const CapturedScreenshot top = awaitTask(stubborn.captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, std::nullopt}, QStringLiteral("x")));
        QCOMPARE(top.image.height(), 300);
        QVERIFY(top.incomplete);
        QVERIFY(world->events.isEmpty());
    }

    void terminalScrolledByTheWheelWhenKeysGoToTheShell()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 400, 3000, 0, 0));
        world->keysReachView = false;
        world->scrollTo(world->maxOffset()); // a terminal shows its last lines
        const QImage result = run();
        QVERIFY(!incomplete);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering());
        // No key after the wheel proved to work.
        const qsizetype firstWheel = world->events.indexOf(QStringLiteral("wheel1"));
        QVERIFY(firstWheel > 0);
        for (qsizetype i = firstWheel; i < world->events.size(); ++i)
            QVERIFY2(world->events[i].startsWith(QStringLiteral("wheel")), qPrintable(world->events[i]));
        QVERIFY(logText().contains(QStringLiteral("SCROLL Tasten bewegen die Ansicht nicht — weiter mit dem Mausrad\n")));
        QVERIFY(!world->pointerHidden); // the pointer came back
    }

    void pageStepLargerThanTheBandUnderAStickyHeader()
    {
        // Page Down scrolls the whole viewport, but a sticky header covers
        // part of it: consecutive pages share nothing. The step is taken
        // back and the wheel, sized by what it measures, takes over.
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 500, 4000, 70, 30, 14));
        world->pageStep = world->viewportHeight() + 20;
        world->wheelPixels = 120;
        const QImage result = run();
        QVERIFY(!incomplete);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering());
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("SCROLL Seitenschritt zu weit — weiter mit dem Mausrad\n")));
        QVERIFY(log.contains(QStringLiteral("SCROLL Mausrad: 120.0 px pro Klick, nächster Schritt 2 Klicks\n")));
    }

    void sectionWheelStepsFollowTheMeasuredClickSize()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 600, 5000));
        world->wheelPixels = 120; // twice the click of a Qt list
        const QRectF section = world->bounds;
        const QImage result = run(section);
        QVERIFY(!incomplete);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->content);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Mausrad: 120.0 px pro Klick, nächster Schritt 3 Klicks\n")));
    }

    void blankStretchTallerThanTheViewEndsIncompleteWithWhatIsCertain()
    {
        auto w = std::make_shared<FakeScrollWorld>(300, 400, 3000, 40, 30, 14);
        w->movingThumb = true;
        for (int y = 900; y < 1500; ++y) // nothing to match over 600 rows
            memset(w->content.scanLine(y), 0xff, size_t(w->content.bytesPerLine()));
        setUpWorld(w);
        const QImage result = run();
        QVERIFY(incomplete);
        const QImage full = world->fullRendering();
        QVERIFY(result.height() < full.height());
        // Everything in it is right: header and content up to where it stopped, then the footer.
        const int body = result.height() - 30;
        QCOMPARE(result.copy(0, 0, result.width(), body).convertToFormat(QImage::Format_RGB32),
                 full.copy(0, 0, full.width(), body));
        QCOMPARE(result.copy(0, body, result.width(), 30).convertToFormat(QImage::Format_RGB32),
                 full.copy(0, full.height() - 30, full.width(), 30));
        QVERIFY(body >= 40 + 900 - 400); // the content before the blank stretch is all there
    }

    void escapeWhileScrollingUpReturnsTheTopFrame()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        world->scrollTo(1000);
        onSleep = [this] {
            if (world->events.contains(QStringLiteral("ctrl+home")))
                keyWatch->pressEscape();
        };
        const QImage result = run();
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering().copy(0, 0, 200, 300));
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 0);
        QCOMPARE(count(world->events, QStringLiteral("pageUp")), 0);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Abgebrochen (ESC) — bis hier zusammensetzen\n")));
    }

    void escapeInTheMainLoopKeepsWhatWasGathered()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 3000));
        onSleep = [this] {
            if (count(world->events, QStringLiteral("pageDown")) == 3)
                keyWatch->pressEscape();
        };
        const QImage result = run();
        QCOMPARE(result.height(), 300 + 3 * 240);
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering().copy(0, 0, 200, 1020));
    }

    void heightLimitStopsExactlyAtTwoHundredThousandRows()
    {
        auto w = std::make_shared<FakeScrollWorld>(48, 1000, 200000 + 2000);
        w->pageStep = 500;
        setUpWorld(w);
        const QImage result = run();
        QCOMPARE(result.height(), 200000);
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 398);
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("SCROLL Streifen 398: +500 px\n")));
        QVERIFY(!log.contains(QStringLiteral("SCROLL Streifen 399")));
        QCOMPARE(result.copy(0, 199000, 48, 1000).convertToFormat(QImage::Format_RGB32),
                 world->content.copy(0, 199000, 48, 1000));
    }

    void stripLimitStopsAtFourHundred()
    {
        auto w = std::make_shared<FakeScrollWorld>(48, 200, 200 + 420 * 100);
        w->pageStep = 100;
        setUpWorld(w);
        const QImage result = run();
        QCOMPARE(result.height(), 200 + 400 * 100);
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 400);
        QVERIFY(logText().contains(QStringLiteral("SCROLL Fenster-Capture fertig: 401 Streifen, 40200 px hoch\n")));
    }

    void aFrameOfTwoHundredThousandRowsSkipsTheLoop()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(4, 200000, 200000));
        const QImage result = run();
        QCOMPARE(result.height(), 200000);
        QCOMPARE(count(world->events, QStringLiteral("pageDown")), 0);
    }

    void largestWindowOfTheApplicationIsTaken()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(300, 400, 1200));
        const QRectF small(500, 500, 200, 100);
        world->extraWindows = {WindowInfo{99, FakeScrollWorld::pid, small, 0, std::nullopt},
                               WindowInfo{98, FakeScrollWorld::pid, QRectF(0, 0, 400, 300), 0, std::nullopt},
                               WindowInfo{97, FakeScrollWorld::pid, QRectF(0, 0, 2000, 2000), 3, std::nullopt}};
        QCOMPARE(capture->largestWindow(FakeScrollWorld::pid)->first, FakeScrollWorld::window); // first of equals
        const QImage result = awaitTask(capture->captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, small, 99, std::nullopt}, QStringLiteral("Liste"))).image;
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering());
        QCOMPARE(world->activations, QList<quint32>{FakeScrollWorld::window});
        QVERIFY(logText().contains(QStringLiteral("SCROLL Größeres App-Fenster gewählt: 300x400 statt 200x100\n")));
        QVERIFY(!capture->largestWindow(12345));
    }

    void fullRoadHandsPlainWindowsAndSectionsToTheLoop()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 900));
        FakeBrowserBridge browsers;
        FakePdfViewerBridge viewers;
        BrowserCapture pages(apps, browsers, viewers, *cancel);
        BrowserTargetRoad road(pages, *capture);
        const PickedWindow picked{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, std::nullopt};
        Target target = road.resolveTarget(picked);
        QCOMPARE(target.kind(), Target::Kind::window);
        QCOMPARE(target.windowName(), QStringLiteral("Liste"));
        const std::optional<CapturedScreenshot> shot = awaitTask(road.captureTarget(std::move(target)));
        QVERIFY(shot);
        QVERIFY(!shot->incomplete);
        QCOMPARE(shot->image.convertToFormat(QImage::Format_RGB32), world->fullRendering());
    }

    void ownApplicationWindowsStepAsideButNotUnmanagedOnes()
    {
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 600));
        QWidget editor;
        editor.show();
        QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayIcon.show();
        WindowScrollCapture loop({permissions, *screens, *world, *world, *world, apps, *cancel, nullptr});
        loop.setGrab([](QRectF region, qreal scale) -> QCoro::Task<QImage> { co_return WindowShot::image(region, scale); });
        loop.setSleep([](int) -> QCoro::Task<void> { co_return; });
        loop.setShowCover([](const QRectF&) {});
        loop.setCleanup([] {});
        awaitTask(loop.captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, std::nullopt}, QStringLiteral("x")));
        QVERIFY(!editor.isVisible());
        QVERIFY(trayIcon.isVisible());
    }

    void finderIsScrolledUpWithPageUpOnly()
    {
        apps.apps[FakeScrollWorld::pid].id = QStringLiteral("com.apple.finder");
        setUpWorld(std::make_shared<FakeScrollWorld>(200, 300, 900));
        run();
        QCOMPARE(world->events.first(), QStringLiteral("pageUp"));
        QVERIFY(!world->events.contains(QStringLiteral("ctrl+home")));
    }
};

ZENTU_TEST_MAIN(TestScrollLoop)
#include "tst_scrollloop.moc"
