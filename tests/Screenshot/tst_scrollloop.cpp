// The window scroll loop against a fake scrollable window: what it stitches
// (header once, every content row, footer once, no scrollbar), how it scrolls
// (keys for a window, wheel clicks for a section, the wheel where keys move
// nothing or step too far), every way it stops and which of them mark the
// result incomplete, the permission and grab errors, the pointer coming back,
// and the focus check that keeps synthetic keys out of other applications.
#include "Storage/DebugLog.h"
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
#include "support/AwaitTask.h"
#include "support/CaptureErrorOf.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

class TestScrollLoop : public QObject {
    Q_OBJECT

    FakeKeyWatch keyWatch;
    ScrollCancel cancel{keyWatch};
    FakeCapturePermissions permissions;
    FakeRunningApplications apps;
    std::shared_ptr<FakeScreenSource> screens;
    const std::shared_ptr<GrabExclusions> exclusions = std::make_shared<GrabExclusions>(nullptr);
    const std::shared_ptr<FakeCompositingInfo> compositing = std::make_shared<FakeCompositingInfo>();
    ScrollCoverOverlay cover{compositing, {}, *exclusions};
    ScrollProgressHUD panel{compositing, {}, *exclusions};
    std::shared_ptr<FakeScrollWorld> world;
    std::optional<WindowGrabber> grabber;
    std::unique_ptr<WindowScrollCapture> capture;
    std::function<void()> onSleep;
    bool incomplete = false;

    // A loop on a new world; the previous run's clean-up has run.
    template <typename... Size>
    void setUpWorld(Size... size)
    {
        QTRY_VERIFY(!cover.window());
        capture.reset();
        world = std::make_shared<FakeScrollWorld>(size...);
        grabber.emplace(world, screens, nullptr, exclusions);
        capture = loopOn(*world);
    }
    std::unique_ptr<WindowScrollCapture> loopOn(WindowActivation& activation)
    {
        auto loop = std::make_unique<WindowScrollCapture>(WindowScrollCapture::Backends{
            permissions, *screens, *world, activation, *world, apps, cancel, *grabber, cover, panel, nullptr});
        loop->setSleep([this](int) -> QCoro::Task<void> {
            if (onSleep)
                onSleep();
            co_return;
        });
        return loop;
    }

    // The stitched image; whether the loop called it incomplete stays in `incomplete`.
    QImage run(std::optional<QRectF> section = std::nullopt, WindowScrollCapture* loop = nullptr)
    {
        const PickedWindow picked{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, section};
        const CapturedScreenshot shot
            = awaitTask((loop ? loop : capture.get())->captureWindowScrolling(picked, QStringLiteral("Liste")));
        incomplete = shot.incomplete;
        return shot.image.convertToFormat(QImage::Format_RGB32);
    }
    int count(const QString& event) const { return int(world->events.count(event)); }
    static bool logged(const QString& message) { return debugLogMessages().contains(QStringLiteral("SCROLL ") + message); }

private Q_SLOTS:
    void init()
    {
        DebugLog::restart();
        screens = std::make_shared<FakeScreenSource>();
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
        permissions = FakeCapturePermissions();
        apps = FakeRunningApplications();
        apps.apps.insert(FakeScrollWorld::pid, {QStringLiteral("org.example.List"), QStringLiteral("Liste")});
        onSleep = nullptr;
    }

    void cleanup()
    {
        QTRY_VERIFY(!cover.window());
        capture.reset();
    }

    void wholeWindowGivesHeaderEveryRowFooterWithoutScrollbar()
    {
        setUpWorld(300, 600, 2500, 60, 48, 14);
        world->scrollTo(700); // starts somewhere in the middle
        const QImage result = run();
        QCOMPARE(result, world->fullRendering());
        QVERIFY(!incomplete);
        // To the top with Control+Home, down with keys alone.
        QCOMPARE(world->events.first(), QStringLiteral("ctrl+home"));
        QVERIFY(!world->events.contains(QStringLiteral("wheel-1")));
        QCOMPARE(world->activations, QList<quint32>{FakeScrollWorld::window});
        // The cover lies over the window until the clean-up, which comes after the result.
        QCOMPARE(cover.window()->geometry(), world->bounds.toRect());
        QTRY_VERIFY(!cover.window());
    }

    void sectionScrollsWithTheWheelUnderTheHiddenPointer()
    {
        setUpWorld(300, 400, 1500, 60, 48, 14);
        world->scrollTo(300);
        world->pointer = QPointF(900, 700);
        // The content area, scrollbar included.
        const QRectF section(world->bounds.x(), world->bounds.y() + 60, 300, 292);
        QCOMPARE(run(section), world->content);
        for (const QString& e : std::as_const(world->events))
            QVERIFY2(e.startsWith(QStringLiteral("wheel")), qPrintable(e));
        // Hidden once over the section, shown again and back where it was.
        QCOMPARE(world->hides, 1);
        QVERIFY(world->warps.contains(section.center()));
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));
    }

    void pointerComesBackWhenTheFirstFrameFails()
    {
        setUpWorld(300, 400, 1500);
        world->pointer = QPointF(900, 700);
        world->failGrabsFrom = 0;
        QCOMPARE(captureErrorOf([&] { run(QRectF(120, 80, 200, 200)); }),
                 QStringLiteral("Fenster konnte nicht abfotografiert werden. Bildschirmaufnahme erlaubt?"));
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));
    }

    void permissionChecks()
    {
        setUpWorld(200, 300, 300);
        // A negative preflight with a working test capture goes on.
        permissions.preflight = false;
        QVERIFY(!run().isNull());
        QCOMPARE(permissions.requestCalls, 0);

        // A failing test capture ends the run before anything is shown.
        setUpWorld(200, 300, 300);
        screens->failingDisplays = {1};
        QVERIFY(captureErrorOf([&] { run(); }).startsWith(QStringLiteral("Bildschirmaufnahme erlauben: ")));
        QCOMPARE(permissions.requestCalls, 1);
        QVERIFY(!cover.window());

        // No synthetic input.
        permissions.preflight = true;
        permissions.trusted = false;
        QVERIFY(captureErrorOf([&] { run(); }).startsWith(QStringLiteral("Bedienungshilfen erlauben: ")));
        QCOMPARE(permissions.prompts, 1);
        QVERIFY(!cover.window());
        QVERIFY(world->events.isEmpty());
    }

    void contentThatNeverMovesGivesTheTopFrameMarkedIncomplete()
    {
        setUpWorld(200, 300, 3000);
        world->frozen = true;
        QCOMPARE(run(), world->render());
        // One Page Down; it moved nothing, so the wheel was tried.
        QCOMPARE(count(QStringLiteral("pageDown")), 1);
        QVERIFY(world->events.endsWith(QStringLiteral("wheel-1")));
        QVERIFY(incomplete); // it may simply not react to synthetic input
        QVERIFY(logged(QStringLiteral("Unvollständig: nichts gescrollt")));
    }

    void contentChangingInPlace()
    {
        // A small animation: every step confirms "no shift"; the eighth in a row ends it.
        setUpWorld(200, 300, 3000);
        world->noise = true;
        world->noiseRows = 4;
        QCOMPARE(run().height(), 300);
        QCOMPARE(count(QStringLiteral("pageDown")), 8);
        QVERIFY(incomplete);

        // A large change that is no movement: the seam cannot be confirmed,
        // the capture ends at once with what it has.
        setUpWorld(200, 300, 3000);
        world->noise = true;
        QCOMPARE(run().height(), 300);
        QCOMPARE(count(QStringLiteral("pageDown")), 1);
        QVERIFY(incomplete);
        QVERIFY(logged(QStringLiteral("Unvollständig: Naht nicht bestätigt")));
    }

    void keysStopWhenTheTargetLosesTheFocus()
    {
        setUpWorld(200, 300, 3000);
        world->focusLostAfterKeys = 4; // Control+Home, Page Up, two Page Downs
        const QImage result = run();
        QStringList keys = world->events;
        keys.removeIf([](const QString& e) { return e.startsWith(QStringLiteral("wheel")); });
        QCOMPARE(keys, (QStringList{"ctrl+home", "pageUp", "pageDown", "pageDown"}));
        QCOMPARE(result, world->fullRendering().copy(0, 0, 200, 300 + 2 * 240));
        QVERIFY(incomplete);

        // A target that never gets the focus receives no key at all.
        setUpWorld(200, 300, 3000);
        world->activate(FakeScrollWorld::otherWindow);
        struct NoActivation final : WindowActivation {
            void activate(quint32) override { }
            std::optional<quint32> activeWindow() override { return FakeScrollWorld::otherWindow; }
        } refusing;
        const std::unique_ptr<WindowScrollCapture> stubborn = loopOn(refusing);
        QCOMPARE(run(std::nullopt, stubborn.get()).height(), 300);
        QVERIFY(incomplete);
        QVERIFY(world->events.isEmpty());
    }

    void terminalScrolledByTheWheelWhenKeysGoToTheShell()
    {
        setUpWorld(300, 400, 3000, 0, 0);
        world->keysReachView = false;
        world->scrollTo(world->maxOffset()); // a terminal shows its last lines
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        // No key after the wheel proved to work.
        const qsizetype firstWheel = world->events.indexOf(QStringLiteral("wheel1"));
        QVERIFY(firstWheel > 0);
        for (qsizetype i = firstWheel; i < world->events.size(); ++i)
            QVERIFY2(world->events[i].startsWith(QStringLiteral("wheel")), qPrintable(world->events[i]));
        QVERIFY(!world->pointerHidden); // the pointer came back
    }

    void pageStepLargerThanTheBandUnderAStickyHeader()
    {
        // Page Down scrolls the whole viewport, but a sticky header covers
        // part of it: consecutive pages share nothing. The step is taken
        // back and the wheel, sized by what it measures, takes over.
        setUpWorld(300, 500, 4000, 70, 30, 14);
        world->pageStep = world->viewportHeight() + 20;
        world->wheelPixels = 120;
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        QVERIFY(logged(QStringLiteral("Seitenschritt zu weit — weiter mit dem Mausrad")));
    }

    void sectionWheelStepsFollowTheMeasuredClickSize()
    {
        setUpWorld(300, 600, 5000);
        world->wheelPixels = 120; // twice the click of a Qt list
        QCOMPARE(run(world->bounds), world->content);
        QVERIFY(!incomplete);
        QVERIFY(logged(QStringLiteral("Mausrad: 120.0 px pro Klick, nächster Schritt 3 Klicks")));
    }

    void blankStretchTallerThanTheViewEndsIncompleteWithWhatIsCertain()
    {
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = true;
        for (int y = 900; y < 1500; ++y) // nothing to match over 600 rows
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        const QImage result = run();
        QVERIFY(incomplete);
        const QImage full = world->fullRendering();
        // Everything in it is right: header and content up to where it stopped, then the footer.
        const int body = result.height() - 30;
        QVERIFY(body >= 40 + 900 - 400); // the content before the blank stretch is all there
        QVERIFY(body < full.height() - 30);
        QCOMPARE(result.copy(0, 0, result.width(), body), full.copy(0, 0, full.width(), body));
        QCOMPARE(result.copy(0, body, result.width(), 30), full.copy(0, full.height() - 30, full.width(), 30));
    }

    void escapeKeepsWhatWasGathered()
    {
        // While scrolling up: the top frame, and no more keys.
        setUpWorld(200, 300, 3000);
        world->scrollTo(1000);
        onSleep = [this] {
            if (world->events.contains(QStringLiteral("ctrl+home")))
                keyWatch.pressEscape();
        };
        QCOMPARE(run(), world->fullRendering().copy(0, 0, 200, 300));
        QCOMPARE(world->events, QStringList{QStringLiteral("ctrl+home")});
        QVERIFY(!incomplete);

        // In the main loop: everything up to there.
        setUpWorld(200, 300, 3000);
        onSleep = [this] {
            if (count(QStringLiteral("pageDown")) == 3)
                keyWatch.pressEscape();
        };
        QCOMPARE(run(), world->fullRendering().copy(0, 0, 200, 300 + 3 * 240));
        QVERIFY(!incomplete);
    }

    void limitsEndTheScrollingMarkedIncomplete_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("pageStep");
        QTest::addColumn<int>("pageDowns");
        QTest::addColumn<int>("height");
        QTest::newRow("200,000 rows") << QSize(48, 1000) << 202000 << 500 << 398 << 200000;
        QTest::newRow("400 strips") << QSize(48, 200) << 200 + 420 * 100 << 100 << 400 << 200 + 400 * 100;
        QTest::newRow("a first frame that tall") << QSize(4, 200000) << 200000 << 0 << 0 << 200000;
    }

    void limitsEndTheScrollingMarkedIncomplete()
    {
        QFETCH(QSize, window);
        QFETCH(int, content);
        QFETCH(int, pageStep);
        QFETCH(int, pageDowns);
        QFETCH(int, height);
        setUpWorld(window.width(), window.height(), content);
        if (pageStep)
            world->pageStep = pageStep;
        QCOMPARE(run(), world->fullRendering().copy(0, 0, window.width(), height));
        QCOMPARE(count(QStringLiteral("pageDown")), pageDowns);
        QVERIFY(incomplete);
    }

    void largestWindowOfTheApplicationIsTaken()
    {
        setUpWorld(300, 400, 1200);
        const QRectF small(500, 500, 200, 100);
        world->extraWindows = {WindowInfo{99, FakeScrollWorld::pid, small, 0, std::nullopt},
                               WindowInfo{98, FakeScrollWorld::pid, QRectF(0, 0, 400, 300), 0, std::nullopt},
                               WindowInfo{97, FakeScrollWorld::pid, QRectF(0, 0, 2000, 2000), 3, std::nullopt}};
        QCOMPARE(capture->largestWindow(FakeScrollWorld::pid)->first, FakeScrollWorld::window); // first of equals
        QVERIFY(!capture->largestWindow(12345));
        const QImage result = awaitTask(capture->captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, small, 99, std::nullopt}, QStringLiteral("Liste"))).image;
        QCOMPARE(result.convertToFormat(QImage::Format_RGB32), world->fullRendering());
        QCOMPARE(world->activations, QList<quint32>{FakeScrollWorld::window});
    }

    void ownApplicationWindowsStepAsideButNotUnmanagedOnes()
    {
        setUpWorld(200, 300, 600);
        QWidget editor;
        editor.show();
        QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayIcon.show();
        run();
        QVERIFY(!editor.isVisible());
        QVERIFY(trayIcon.isVisible());
    }

    void finderIsScrolledUpWithPageUpOnly()
    {
        apps.apps[FakeScrollWorld::pid].id = QStringLiteral("com.apple.finder");
        setUpWorld(200, 300, 900);
        run();
        QCOMPARE(world->events.first(), QStringLiteral("pageUp"));
        QVERIFY(!world->events.contains(QStringLiteral("ctrl+home")));
    }
};

ZENTU_TEST_MAIN(TestScrollLoop)
#include "tst_scrollloop.moc"
