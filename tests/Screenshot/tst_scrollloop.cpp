// The window scroll loop against a fake scrollable window: stitching, keys and
// wheel, every stop, errors, the pointer coming back, the focus check; a
// sticky column, a ticking clock, a list whose selection keys would move, and
// a blank end of the content.
#include "Debug/DebugLog.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollStepper.h"
#include "Screenshot/WindowGrabber.h"
#include "Screenshot/WindowScrollCapture.h"
#include "Screenshot/PickedWindowLookup.h"
#include "fakes/FakeAccessibilityTree.h"
#include "fakes/FakeCapturePermissions.h"
#include "fakes/FakeClock.h"
#include "fakes/FakeCompositingInfo.h"
#include "fakes/FakeKeyWatch.h"
#include "fakes/FakeApplicationIdentity.h"
#include "fakes/FakeScreenSource.h"
#include "fakes/FakeScrollWorld.h"
#include "support/AwaitTask.h"
#include "support/CaptureErrorOf.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

// Never lets the target have the focus.
struct RefusedActivation final : WindowActivation {
    void activate(quint32) override { }
    std::optional<quint32> activeWindow() override { return FakeScrollWorld::otherWindow; }
};

class TestScrollLoop : public QObject {
    Q_OBJECT

    FakeKeyWatch keyWatch;
    ScrollCancel cancel{keyWatch};
    FakeCapturePermissions permissions;
    FakeApplicationIdentity apps;
    RefusedActivation refusing;
    std::shared_ptr<FakeScreenSource> screens;
    const std::shared_ptr<GrabExclusions> exclusions = std::make_shared<GrabExclusions>(nullptr);
    const std::shared_ptr<FakeCompositingInfo> compositing = std::make_shared<FakeCompositingInfo>();
    ScrollProgressHUD panel{compositing, {}, *exclusions};
    ScrollCoverOverlay cover{compositing, {}, *exclusions, panel.progress()};
    std::shared_ptr<FakeScrollWorld> world;
    std::optional<WindowGrabber> grabber;
    std::unique_ptr<WindowScrollCapture> capture;
    std::function<void()> onSleep;
    int pauseMs = 0; // of the pause under way
    // Moved by the pauses only: grabs cost no time, however slow the machine.
    FakeClock clock;
    bool incomplete = false;
    QList<ScrollStop> stops;

    template <typename... Size>
    void setUpWorld(Size... size)
    {
        QTRY_VERIFY(!cover.window());
        world = std::make_shared<FakeScrollWorld>(size...);
        grabber.emplace(world, screens, nullptr, exclusions);
        useActivation(*world);
    }
    FakeAccessibilityTree accessibility;
    std::optional<PickedWindowLookup> lookup;

    void useActivation(WindowActivation& activation)
    {
        lookup.emplace(*world, accessibility, *screens);
        capture = std::make_unique<WindowScrollCapture>(WindowScrollCapture::Backends{
            permissions, *screens, *world, activation, *world, apps, cancel, *grabber, cover, panel, clock, &*lookup});
        capture->setSleep([this](int ms) -> QCoro::Task<void> {
            clock.advance(ms);
            pauseMs = ms;
            if (onSleep)
                onSleep();
            co_return;
        });
    }

    QImage run(std::optional<QRectF> section = std::nullopt, std::optional<PickedWindow> picked = std::nullopt)
    {
        const CapturedScreenshot shot = awaitTask(capture->captureWindowScrolling(
            picked.value_or(PickedWindow{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, section}),
            QStringLiteral("Liste")));
        incomplete = shot.incomplete;
        stops = shot.scrollStops;
        return shot.image.convertToFormat(QImage::Format_RGB32);
    }
    static bool logged(const QString& message) { return debugLogMessages().contains(QStringLiteral("SCROLL ") + message); }

private Q_SLOTS:
    void init()
    {
        DebugLog::restart();
        screens = std::make_shared<FakeScreenSource>();
        screens->addScreen(1, QRectF(0, 0, 1920, 1080), 1, Qt::gray);
        permissions = FakeCapturePermissions();
        onSleep = nullptr;
        accessibility.available = false;
        accessibility.chain.clear();
    }

    void cleanup()
    {
        QTRY_VERIFY(!cover.window());
        capture.reset();
    }

    void permissionAndGrabErrors()
    {
        // A failing first frame: the error, and the pointer back where it was.
        setUpWorld(300, 400, 1500);
        world->pointer = QPointF(900, 700);
        world->failGrabsFrom = 0;
        QCOMPARE(captureErrorOf([&] { run(QRectF(120, 80, 200, 200)); }),
                 QStringLiteral("Fenster konnte nicht abfotografiert werden. Bildschirmaufnahme erlaubt?"));
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));

        // A negative preflight with a working test capture goes on.
        setUpWorld(200, 300, 300);
        permissions.preflight = false;
        QVERIFY(!run().isNull());
        QCOMPARE(permissions.requestCalls, 0);

        // A failing test capture ends the run before anything is shown.
        setUpWorld(200, 300, 300);
        screens->failingDisplays = {1};
        QVERIFY(captureErrorOf([&] { run(); }).startsWith(QStringLiteral("Der X-Server verweigert das Lesen des Bildschirms")));
        QCOMPARE(permissions.requestCalls, 1);
        // No synthetic input.
        permissions.preflight = true;
        permissions.trusted = false;
        QVERIFY(captureErrorOf([&] { run(); }).startsWith(QStringLiteral("Ohne XTEST im X-Server")));
        QCOMPARE(permissions.prompts, 1);
        QVERIFY(!cover.window());
        QVERIFY(world->events.isEmpty());
    }

    // Every end but Escape and the end of the content: what is certain, marked
    // incomplete, the cause in the log.
    void stopsMarkedIncomplete_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("content");
        QTest::addColumn<QString>("twist");
        QTest::addColumn<int>("pageDowns");
        QTest::addColumn<int>("height");
        QTest::addColumn<ScrollStop>("cause");
        const QSize small(200, 300);
        QTest::newRow("never moves") << small << 3000 << "frozen" << 1 << 300 << ScrollStop::nothingScrolled;
        QTest::newRow("small change in place") << small << 3000 << "animation" << 8 << 300
                                               << ScrollStop::changesInPlace;
        QTest::newRow("large change in place") << small << 3000 << "noise" << 1 << 300 << ScrollStop::seamUnconfirmed;
        QTest::newRow("focus lost") << small << 3000 << "focus" << 2 << 780 << ScrollStop::focusLost;
        QTest::newRow("focus never on the target") << small << 3000 << "refused" << 0 << 300 << ScrollStop::focusLost;
        QTest::newRow("200,000 rows") << QSize(48, 1000) << 202000 << "500" << 398 << 200000 << ScrollStop::heightLimit;
        QTest::newRow("400 strips") << QSize(48, 200) << 42200 << "100" << 400 << 40200 << ScrollStop::stripLimit;
        QTest::newRow("a first frame that tall") << QSize(4, 200000) << 200000 << "" << 0 << 200000
                                                 << ScrollStop::heightLimit;
    }

    void stopsMarkedIncomplete()
    {
        QFETCH(QSize, window);
        QFETCH(int, content);
        QFETCH(QString, twist);
        QFETCH(int, pageDowns);
        QFETCH(int, height);
        QFETCH(ScrollStop, cause);
        setUpWorld(window.width(), window.height(), content);
        world->frozen = twist == QLatin1String("frozen");
        world->noise = twist == QLatin1String("animation") || twist == QLatin1String("noise");
        world->noiseRows = twist == QLatin1String("animation") ? 4 : 0;
        if (twist == QLatin1String("focus"))
            world->focusLostAfterKeys = 4; // Control+Home, Page Up, two Page Downs
        if (twist.toInt())
            world->pageStep = twist.toInt();
        if (twist == QLatin1String("refused"))
            useActivation(refusing);
        const QImage result = run();
        QCOMPARE(result.height(), height);
        if (!world->noise)
            QCOMPARE(result, world->fullRendering().copy(0, 0, window.width(), height));
        QCOMPARE(int(world->events.count(QStringLiteral("pageDown"))), pageDowns);
        QVERIFY(incomplete);
        QVERIFY(stops.contains(cause));
        if (twist == QLatin1String("refused"))
            QVERIFY(world->events.isEmpty()); // not one key into another application
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
        QVERIFY(!world->pointerHidden);
    }

    void pageStepLargerThanTheBandUnderAStickyHeader()
    {
        // Consecutive pages share nothing: the wheel takes over.
        setUpWorld(300, 500, 4000, 70, 30, 14);
        world->scrollTo(700);
        world->pageStep = world->viewportHeight() + 20;
        world->wheelPixels = 120;
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        // The cover stays until the clean-up, which comes after the result.
        QCOMPARE(cover.window()->geometry(), world->bounds.toRect());
        QTRY_VERIFY(!cover.window());
    }

    void sectionWheelStepsFollowTheMeasuredClickSize()
    {
        setUpWorld(300, 600, 5000);
        world->wheelPixels = 120; // twice the click of a Qt list
        world->pointer = QPointF(900, 700);
        QCOMPARE(run(world->bounds), world->content);
        QVERIFY(!incomplete);
        // Hidden once over the section, shown again where it was.
        QCOMPARE(world->hides, 1);
        QVERIFY(!world->pointerHidden);
        QCOMPARE(world->pointer, QPointF(900, 700));
    }

    void blankStretchTallerThanTheViewGoesByTheThumb()
    {
        // Nothing to match over 600 rows, but the scrollbar's thumb moves
        // as far as the measured clicks say: every row once.
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = true;
        for (int y = 900; y < 1500; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        QVERIFY(!debugLogMessages().filter(QStringLiteral("Naht angenommen")).isEmpty());
    }

    void blankStretchAtTheStartIsCrossedAtTheDistanceMeasuredAfterIt()
    {
        // The first steps show nothing to match: the steps after the blank
        // stretch measure how far a click goes, the thumb moved that far on
        // each of the first ones, and every row is there once.
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = true;
        world->scrollbarImage.fill(QColor(230, 230, 232)); // a track the thumb shows on
        for (int y = 30; y < 800; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        QVERIFY(!debugLogMessages().filter(QStringLiteral("Anfang: ")).filter(QStringLiteral("Nähte angenommen")).isEmpty());

        // Clicks that go further before the blank stretch ends (the rows
        // after it are the first to measure them): the thumb moved half as
        // far on the first steps as the distance measured there says, and
        // they are not taken at it.
        cleanup();
        DebugLog::restart();
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = true;
        world->scrollbarImage.fill(QColor(230, 230, 232));
        for (int y = 30; y < 800; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        onSleep = [this] {
            if (world->offset > 400)
                world->wheelPixels = 120;
        };
        const QImage result = run();
        QVERIFY(incomplete || result == world->fullRendering());
        QVERIFY(debugLogMessages().filter(QStringLiteral("Nähte angenommen")).isEmpty());
    }

    // A section shows nothing but its own rows: over a blank start only the
    // window's scrollbar beside it shows the page move. Its thumb moving as
    // far as the clicks measured after the blank stretch carries the first
    // steps; a thumb that never moves carries nothing, and the result is
    // not called whole. Started down the blank stretch, the way up shows
    // nothing in the section either: the thumb takes it to the top.
    void sectionOverABlankStartIsCrossedByTheWindowsThumb_data()
    {
        QTest::addColumn<bool>("thumbMoves");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("blankEnd");
        QTest::newRow("thumb moves") << true << 0 << 800;
        QTest::newRow("thumb stands") << false << 0 << 800;
        QTest::newRow("thumb moves, started far down the blank stretch") << true << 1200 << 1600;
    }
    void sectionOverABlankStartIsCrossedByTheWindowsThumb()
    {
        QFETCH(bool, thumbMoves);
        QFETCH(int, start);
        QFETCH(int, blankEnd);
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = thumbMoves;
        world->scrollTo(start);
        world->scrollbarImage.fill(QColor(230, 230, 232));
        // The track runs beside the view only, between the toolbar's and
        // the status bar's corners.
        QPainter corners(&world->scrollbarImage);
        corners.fillRect(QRect(0, 0, 14, 40), QColor(60, 70, 90));
        corners.fillRect(QRect(0, 370, 14, 30), QColor(60, 70, 90));
        corners.end();
        for (int y = 30; y < blankEnd; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        const QImage result = run(world->bounds.adjusted(0, 40, -14, -30));
        QVERIFY(incomplete || result == world->content);
        QCOMPARE(!incomplete, thumbMoves);
        QCOMPARE(!debugLogMessages().filter(QStringLiteral("Anfang: ")).filter(QStringLiteral("Nähte angenommen")).isEmpty(),
                 thumbMoves);
    }

    void blankStretchWherePageKeysGoFurtherIsNeverCalledComplete()
    {
        // Inside the blank stretch a page key goes further than measured:
        // the thumb's travel is too coarse to tell, so a step taken at the
        // measured distance falls short. What follows cannot be matched to
        // it, and the result says it may be incomplete.
        setUpWorld(300, 400, 3000, 40, 30, 14);
        world->movingThumb = true;
        for (int y = 900; y < 1500; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        onSleep = [this, top = false]() mutable {
            top = top || world->offset == 0;
            if (top && world->offset > 700)
                world->pageStep = 290;
        };
        run();
        QVERIFY(logged(QStringLiteral("Naht angenommen: 264 px wie gemessen (1. Mal)")));
        QVERIFY(incomplete);
    }

    void blankStretchTallerThanTheViewWithoutAThumbEndsIncompleteWithWhatIsCertain()
    {
        setUpWorld(300, 400, 3000, 40, 30, 14);
        for (int y = 900; y < 1500; ++y) // nothing to match over 600 rows, nothing moves
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        const QImage result = run();
        QVERIFY(incomplete);
        const QImage full = world->fullRendering();
        // Header and content up to the blank stretch, then the footer.
        const int body = result.height() - 30;
        QVERIFY(body >= 40 + 900 - 400 && body < full.height() - 30);
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
            if (world->events.count(QStringLiteral("pageDown")) == 3)
                keyWatch.pressEscape();
        };
        QCOMPARE(run(), world->fullRendering().copy(0, 0, 200, 300 + 3 * 240));
        QVERIFY(!incomplete);
    }

    void stickyColumnShowsOnceAndTheContentWhole()
    {
        setUpWorld(400, 500, 3000, 40, 0, 14);
        world->sidebarWidth = 96;
        const QImage result = run();
        QVERIFY(!incomplete);
        const QImage full = world->fullRendering();
        QCOMPARE(result.size(), full.size());
        // The content beside the column, row for row.
        QCOMPARE(result.copy(96, 0, result.width() - 96, result.height()), full.copy(96, 0, full.width() - 96, full.height()));
        // The column as in the first frame, then one colour per pixel column.
        QCOMPARE(result.copy(0, 40, 96, 460), world->sidebarImage.copy(0, 0, 96, 460));
        for (int x = 0; x < 96; x += 7)
            for (int y = 600; y < result.height(); y += 13)
                QCOMPARE(result.pixel(x, y), result.pixel(x, 600));
    }

    void tickingClockNeitherStallsNorBreaksTheSeams()
    {
        setUpWorld(300, 500, 3000, 40, 30, 14);
        world->clock = QRect(180, 60, 80, 30);
        world->scrollTo(600);
        const QImage result = run();
        QVERIFY(!incomplete);
        const QImage full = world->fullRendering();
        QCOMPARE(result.size(), full.size());
        // Below the clock's rows every row is the content's.
        QCOMPARE(result.copy(0, 100, result.width(), result.height() - 100), full.copy(0, 100, full.width(), full.height() - 100));
        // Only the rows between header and footer were compared.
        QVERIFY(logged(QStringLiteral("Ansicht: Zeilen 40 bis 470 von 500 bewegen sich")));
        // No phase waits for a still frame that never comes: a few grabs a step.
        QVERIFY2(world->grabs < 400, qPrintable(QString::number(world->grabs)));
    }

    void listScrolledByTheWheelKeepsItsSelection()
    {
        setUpWorld(300, 400, 3000);
        accessibility.available = true;
        accessibility.add(QStringLiteral("table cell"));
        accessibility.add(QStringLiteral("AXOutline"));
        accessibility.add(QStringLiteral("AXScrollArea"));
        world->scrollTo(700);
        QCOMPARE(run(), world->fullRendering());
        QVERIFY(!incomplete);
        QVERIFY(logged(QStringLiteral("Liste oder Text unter dem Fenstermittelpunkt — Mausrad statt Tasten")));
        for (const QString& e : world->events)
            QVERIFY2(e.startsWith(QStringLiteral("wheel")), qPrintable(e));
        // A list inside a web page scrolls with the page's keys.
        setUpWorld(300, 400, 1200);
        accessibility.add(QStringLiteral("AXWebArea"));
        run();
        QVERIFY(world->events.contains(QStringLiteral("pageDown")));
    }

    void terminalsAndEditorsGetTheWheelOnly_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("windowClass");
        QTest::newRow("xterm") << QStringLiteral("debian-xterm") << QStringLiteral("XTerm");
        QTest::newRow("GNOME Terminal") << QStringLiteral("org.gnome.Terminal") << QStringLiteral("Gnome-terminal");
        QTest::newRow("Konsole, by its class") << QStringLiteral("konsole-bin") << QStringLiteral("konsole");
        QTest::newRow("Mousepad") << QStringLiteral("org.xfce.mousepad") << QStringLiteral("Mousepad");
    }
    void terminalsAndEditorsGetTheWheelOnly()
    {
        // No accessibility bus: the window's class alone tells.
        QFETCH(QString, id);
        QFETCH(QString, windowClass);
        setUpWorld(300, 400, 2000);
        world->scrollTo(500);
        apps.apps.insert(FakeScrollWorld::pid, {id, QStringLiteral("Programm"), FakeScrollWorld::pid, windowClass});
        const QImage result = run();
        apps.apps.clear();
        QCOMPARE(result, world->fullRendering());
        QVERIFY(!incomplete);
        for (const QString& e : world->events)
            QVERIFY2(e.startsWith(QStringLiteral("wheel")), qPrintable(e));
    }

    void seamOfAHalfRedrawnViewIsLookedAtAgain()
    {
        setUpWorld(300, 400, 3000, 40, 30);
        world->wheelPixels = 40;
        // Scrolled a few steps in, the view is caught half redrawn.
        onSleep = [this] {
            if (world->tornFrom < 0 && world->events.count(QStringLiteral("wheel-1")) > 12)
                world->tornFrom = world->grabs + 1;
        };
        QCOMPARE(run(world->bounds.adjusted(0, 40, 0, -30)), world->content);
        QVERIFY(!incomplete);
        QVERIFY(logged(QStringLiteral("Naht nach längerem Warten bestätigt")));
    }

    // An overlay thumb across the view's bottom edge shows over the rows the
    // last steps bring and fades a while after the view stopped: the rows
    // under it come from the next view, which shows them higher up, and the
    // rows at the end from a look after it faded, also where it showed over
    // the last view only (after the first steps, where it showed too: the
    // window has such bars).
    void overlayThumbOverTheBottomRowsIsNotTaken_data()
    {
        QTest::addColumn<int>("wheel");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("wheelUp");
        QTest::addColumn<int>("firstSteps");
        QTest::newRow("last two steps") << 120 << 2000 << 0 << 0;
        QTest::newRow("every step") << 90 << 0 << 0 << 0;
        QTest::newRow("last frame only") << 120 << 2300 << 0 << 360;
        // The step back at the end goes further up than the way down.
        QTest::newRow("last frame only, a click up goes further") << 120 << 2300 << 170 << 360;
    }
    void overlayThumbOverTheBottomRowsIsNotTaken()
    {
        QFETCH(int, wheel);
        QFETCH(int, from);
        QFETCH(int, wheelUp);
        QFETCH(int, firstSteps);
        setUpWorld(900, 600, 3000);
        world->wheelPixels = wheel;
        world->wheelUpPixels = wheelUp;
        world->pointer = QPointF(900, 700);
        // An overlay scrollbar's thumb just above the view's bottom edge.
        world->overlayBarRows = 5;
        world->overlayBarGap = 3;
        world->overlayBarWidth = world->content.width() / 5 + 5;
        world->overlayBarColour = QColor(164, 164, 163);
        // Shown with every turn of the wheel (at the end too) until a while
        // after the last.
        qsizetype turns = 0;
        qint64 turned = 0;
        onSleep = [&, from, firstSteps] {
            if (world->events.size() != turns) {
                turns = world->events.size();
                turned = clock.milliseconds();
            }
            world->overlayBar = (world->offset >= from || world->offset <= firstSteps) && world->offset > 0
                && clock.milliseconds() - turned < 1500;
        };
        const QImage result = run(world->bounds);
        onSleep = nullptr;
        QVERIFY2(incomplete || result == world->content, qPrintable(debugLogMessages().join(QLatin1Char('\n'))));
    }

    // On a busy machine a smooth scroll stalls on its way: two grabs in a row
    // agree while the view is still moving. Page keys that leave two lines
    // in both frames give way to the wheel. The result is exact and complete
    // however the steps come out.
    void viewGlidingInFitsAndStartsIsStitchedExactly_data()
    {
        QTest::addColumn<bool>("section");
        QTest::addColumn<int>("pageOverlap");
        QTest::newRow("window, page keys") << false << 90;
        QTest::newRow("window, page keys leaving two lines") << false << 38;
        QTest::newRow("section, wheel") << true << 0;
    }
    void viewGlidingInFitsAndStartsIsStitchedExactly()
    {
        QFETCH(bool, section);
        QFETCH(int, pageOverlap);
        setUpWorld(300, 600, 4000, 40, 30, 14);
        world->glide = 45;
        world->wheelPixels = 57;
        if (pageOverlap)
            world->pageStep = world->viewportHeight() - pageOverlap;
        QCOMPARE(run(section ? std::optional<QRectF>(world->bounds.adjusted(0, 40, 0, -30)) : std::nullopt),
                 section ? world->content : world->fullRendering());
        QVERIFY(!incomplete);
        QCOMPARE(logged(QStringLiteral("Seitenschritt lässt nur 38 Zeilen Überlappung — zurück, weiter mit dem Mausrad")),
                 pageOverlap == 38);
    }

    // A browser's page key keeps two lines in both frames, and right there,
    // under the sticky header, a fixed clock ticks: the rows in common are
    // mostly the clock's, and the view glides in fits and starts. The seam
    // cannot be confirmed that way; the capture must still come back whole,
    // each row once, and called complete. The wheel over a section with the
    // clock in it: every seam's rows in common hold the clock.
    void pageKeysLeavingTwoLinesUnderATickingClock_data()
    {
        QTest::addColumn<bool>("section");
        QTest::addColumn<int>("glide");
        QTest::newRow("window, at once") << false << 0;
        QTest::newRow("window, gliding") << false << 45;
        QTest::newRow("section, at once") << true << 0;
        QTest::newRow("section, gliding") << true << 45;
    }
    void pageKeysLeavingTwoLinesUnderATickingClock()
    {
        QFETCH(bool, section);
        QFETCH(int, glide);
        setUpWorld(300, 600, 4000, 40, 30, 14);
        world->clock = QRect(150, 56, 120, 40);
        world->clockSlowEvery = 5;
        world->glide = glide;
        world->wheelPixels = 57;
        world->pageStep = world->viewportHeight() - 38;
        const QImage result = run(section ? std::optional<QRectF>(world->bounds.adjusted(0, 40, 0, -30)) : std::nullopt);
        QVERIFY2(!incomplete, qPrintable(debugLogMessages().join(QLatin1Char('\n'))));
        const QImage full = section ? world->content : world->fullRendering();
        const int below = section ? 60 : 100;
        QCOMPARE(result.size(), full.size());
        // Below the clock's rows every row is the content's, once.
        QCOMPARE(result.copy(0, below, result.width(), result.height() - below),
                 full.copy(0, below, full.width(), full.height() - below));
    }

    void stepBackPastTheLastStripMeasuresFromThere()
    {
        // A blank stretch where a seam has too little to go by; a click up
        // goes further than one down, so the step back overshoots: the seams
        // are measured from where it stands, and nothing is stitched twice.
        setUpWorld(300, 500, 4000, 40, 30, 14);
        world->wheelPixels = 40;
        world->wheelUpPixels = 70;
        for (int y = 1000; y < 1330; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        QCOMPARE(run(world->bounds.adjusted(0, 40, 0, -30)), world->content);
        QVERIFY(!incomplete);
        QVERIFY(!debugLogMessages().filter(QStringLiteral("Zu weit zurück: ")).isEmpty());
    }

    void pageKeyTakenBackComesBackAFewRowsShort()
    {
        // A page key leaves too few rows and is taken back, but the view
        // comes back a few rows short of the strip's frame, and the first
        // wheel event after it moves nothing: that frame shows the content a
        // few rows on. The next seam still counts those rows.
        setUpWorld(300, 600, 4000, 40, 30, 14);
        world->pageStep = world->viewportHeight() - 20;
        world->pageUpStep = world->pageStep - 3;
        world->wheelLostAfterPageUp = 1;
        const QImage result = run();
        QVERIFY(logged(QStringLiteral("Seitenschritt lässt nur 20 Zeilen Überlappung — zurück, weiter mit dem Mausrad")));
        QVERIFY(!incomplete);
        QCOMPARE(result, world->fullRendering());
    }

    void pageThatGrowsAtItsEndIsFollowed_data()
    {
        QTest::addColumn<int>("growAfterMs");
        QTest::addColumn<int>("growths");
        QTest::addColumn<bool>("whole");
        // Items appended soon after the end came into view, twice.
        QTest::newRow("soon") << 300 << 2 << true;
        // Later, while the end is being made sure of.
        QTest::newRow("late") << 1200 << 2 << true;
        // Again and again, more often than it is followed.
        QTest::newRow("endless") << 300 << ScrollStops::growthLimit * 2 << false;
    }
    void pageThatGrowsAtItsEndIsFollowed()
    {
        // The page shows its first rows and a plain end; once the view has
        // stood at the end for a while, more rows come in place of that end.
        QFETCH(int, growAfterMs);
        QFETCH(int, growths);
        QFETCH(bool, whole);
        const int end = 60;
        const int first = 900;
        const int more = 350;
        setUpWorld(300, 400, first + growths * more + end, 0, 0, 14);
        const QImage full = world->content.copy();
        const auto shown = [&](int rows) {
            QImage c = full.copy(0, 0, full.width(), rows + end);
            QPainter(&c).fillRect(0, rows, c.width(), end, Qt::white);
            return c;
        };
        world->content = shown(first);
        int grown = 0;
        qint64 atEndSince = -1;
        onSleep = [&] {
            if (grown == growths || world->offset != world->maxOffset()) {
                atEndSince = -1;
                return;
            }
            if (atEndSince < 0)
                atEndSince = clock.milliseconds();
            else if (clock.milliseconds() - atEndSince >= growAfterMs) {
                world->content = shown(first + ++grown * more);
                atEndSince = -1;
            }
        };
        const QImage result = run();
        onSleep = nullptr;
        QCOMPARE(incomplete, !whole);
        if (!whole) {
            QVERIFY(stops.contains(ScrollStop::grewAtEnd));
            return;
        }
        QCOMPARE(grown, growths);
        QCOMPARE(result, world->fullRendering());
    }

    void pageThatGrowsAboveItsLastRowsAsTheViewStepsIsNotTorn_data()
    {
        QTest::addColumn<int>("tail");
        // The last rows, pushed down as far as the view then moves, stand
        // still at the view's bottom as a footer would.
        QTest::newRow("short tail") << 9;
        QTest::newRow("taller tail") << 24;
    }
    void pageThatGrowsAboveItsLastRowsAsTheViewStepsIsNotTorn()
    {
        // The view stands at the end; as the next step is sent, a few rows
        // come in above the page's last rows, and the view goes just as far
        // as they pushed the end down.
        QFETCH(int, tail);
        const int added = 6;
        // (The last step lands right on the end: nothing told the run so.)
        setUpWorld(300, 400, 1360);
        world->keysReachView = false;
        const QImage before = world->content.copy();
        QImage after(before.width(), before.height() + added, before.format());
        {
            QPainter p(&after);
            const int at = before.height() - tail;
            p.drawImage(0, 0, before, 0, 0, before.width(), at);
            p.drawImage(0, at, FakeScrollWorld::makeContent(before.width(), 2000), 0, 1900, before.width(), added);
            p.drawImage(0, at + added, before, 0, at, before.width(), tail);
        }
        qsizetype seen = 0;
        bool settledAtEnd = false;
        bool grown = false;
        onSleep = [&] {
            const qsizetype now = world->events.size();
            const bool wheeled = now > seen && world->events.last().startsWith(QStringLiteral("wheel-"));
            const bool atEnd = world->offset == world->maxOffset() && world->offset > 0;
            if (grown || !atEnd) {
                settledAtEnd = false;
            } else if (now == seen) {
                settledAtEnd = true; // the view stood at the end a while
            } else if (wheeled && settledAtEnd) {
                world->content = after;
                world->scrollTo(world->offset + added);
                grown = true;
            }
            seen = now;
        };
        const QImage result = run();
        onSleep = nullptr;
        QVERIFY(grown);
        if (!incomplete)
            QCOMPARE(result, world->fullRendering());
    }

    void blankStretchWithContentBeyondIsCrossedWhereTheWheelIsSteady_data()
    {
        QTest::addColumn<int>("upPixels"); // a click up moves this far (0: as far as one down)
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("blankTo"); // the stretch goes from row 900 to here
        QTest::addColumn<bool>("crossed");
        // A wheel that moves the same both ways: the stretch is crossed.
        QTest::newRow("steady") << 0 << 3000 << 1900 << true;
        // Taller than the frames looked at for an end: the view went as far
        // as the clicks asked, so it stood at no end.
        QTest::newRow("steady, taller than the look ahead") << 0 << 4000 << 2700 << true;
        // Inside the stretch every frame looks the same whether the content
        // moved or not; a click up that moves otherwise than one down leaves
        // the way back short of the newest strip: nothing is taken at the
        // measured distance.
        QTest::newRow("clicks up move otherwise") << 45 << 3000 << 1900 << false;
        // The stretch runs on past the look ahead to a last row of content:
        // neither a blank end nor crossed (the view stops at the end, short
        // of what the clicks ask, and cannot come back as far).
        QTest::newRow("ends in a last row") << 0 << 3000 << 2990 << false;
        // A section over the page, which the wheel scrolls.
        QTest::newRow("section") << 0 << 3000 << 1900 << true;
    }
    void blankStretchWithContentBeyondIsCrossedWhereTheWheelIsSteady()
    {
        QFETCH(int, upPixels);
        QFETCH(int, height);
        QFETCH(int, blankTo);
        QFETCH(bool, crossed);
        setUpWorld(300, 400, height);
        world->keysReachView = false;
        world->wheelPixels = 60;
        world->wheelUpPixels = upPixels;
        for (int y = 900; y < blankTo; ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        const bool section = QByteArray(QTest::currentDataTag()) == "section";
        const QImage result = section ? run(world->bounds) : run();
        QCOMPARE(!debugLogMessages().filter(QStringLiteral("Leere Fläche überquert")).isEmpty(), crossed);
        // Never called whole when it is not.
        QVERIFY(incomplete || result == world->fullRendering());
        if (crossed) {
            QCOMPARE(result, world->fullRendering());
            QVERIFY(!incomplete);
        }
    }

    void blankEndOfTheContentIsTheEnd()
    {
        setUpWorld(300, 400, 3000);
        world->wheelPixels = 40;
        for (int y = 2200; y < 3000; ++y) // the document ends in 800 blank rows
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        const QImage blankEnd = run(world->bounds);
        if (blankEnd.size() != world->content.size())
            qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
        QCOMPARE(blankEnd, world->content);
        QVERIFY(!incomplete);
        QCOMPARE(stops, QList<ScrollStop>{ScrollStop::blankEnd});
        QVERIFY(logged(QStringLiteral("Leeres Ende des Inhalts: ")
                       + debugLogMessages().filter(QStringLiteral("Leeres Ende")).value(0).section(QLatin1Char(' '), -2)));
    }

    // Sparse labels before a blank stretch: where the way back first shows
    // content again, a label or two may be too little to place the view
    // against the newest strip; further back, more of them show. That tells
    // a stretch that goes on, never an end: a view caught between paints on
    // the way back would prove a false one.
    void blankStretchAfterSparseLabels_data()
    {
        QTest::addColumn<int>("wheel");
        QTest::addColumn<bool>("goesOn");
        QTest::newRow("small clicks, stretch goes on") << 40 << true;
        QTest::newRow("odd clicks, stretch goes on") << 53 << true;
        QTest::newRow("big clicks, stretch goes on") << 100 << true;
        QTest::newRow("small clicks, the end") << 40 << false;
        QTest::newRow("big clicks, the end") << 100 << false;
    }
    void blankStretchAfterSparseLabels()
    {
        QFETCH(int, wheel);
        QFETCH(bool, goesOn);
        setUpWorld(300, 400, goesOn ? 4600 : 3000); // (content again from row 4000)
        world->wheelPixels = wheel;
        for (int y = 1000; y < (goesOn ? 4000 : 3000); ++y)
            memset(world->content.scanLine(y), 0xff, size_t(world->content.bytesPerLine()));
        for (int y = 1030, i = 0; y < 2200; y += 30, ++i) // a small label every 30 rows
            for (int row = y; row < y + 5; ++row)
                for (int x = 20 + (i * 70) % 200; x < 60 + (i * 70) % 200; ++x)
                    world->content.setPixel(x, row, qRgb(40, 40 + 20 * (i % 5), 90));
        const QImage result = run();
        QVERIFY(incomplete || result == world->content);
        QCOMPARE(logged(QStringLiteral("Leere Fläche: Ansicht ging so weit wie geschickt — kein Ende")), goesOn);
        // At the end: the labels placed the view and prove the end (the
        // result whole), or the tail was measured only further back and
        // proves nothing.
        if (!goesOn && incomplete) {
            QVERIFY(logged(QStringLiteral("Leere Fläche: Ende nur weiter oben gemessen — nicht sicher")));
            QVERIFY(!stops.contains(ScrollStop::blankEnd));
        } else if (!goesOn) {
            QCOMPARE(result, world->content);
            QCOMPARE(stops, QList<ScrollStop>{ScrollStop::blankEnd});
        }
    }

    // A last step of a few rows looks like content changing in place: its
    // rows are not stitched, so the result is never called complete.
    // A box fixed over the lower part of the view, its shadow darkening the
    // content that moves under it: what stands still in it over three views
    // tells the box, which is then left out of every seam and shows once,
    // at the end; the content above it is whole.
    void boxFixedOverTheContentShowsOnceAtTheEnd_data()
    {
        QTest::addColumn<QRect>("box");
        QTest::addColumn<int>("shadow");
        QTest::newRow("banner with a shadow") << QRect(20, 380, 220, 90) << 10;
        QTest::newRow("box in a corner, off the cell grid") << QRect(213, 330, 150, 110) << 6;
    }
    void boxFixedOverTheContentShowsOnceAtTheEnd()
    {
        QFETCH(QRect, box);
        QFETCH(int, shadow);
        setUpWorld(400, 500, 2400);
        world->box = box;
        world->boxShadow = shadow;
        const QImage result = run(world->bounds);
        if (incomplete)
            qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
        const QStringList lines = debugLogMessages();
        QVERIFY(std::any_of(lines.cbegin(), lines.cend(),
                            [](const QString& l) { return l.contains(QStringLiteral("Feste Box über drei Ansichten")); }));
        QVERIFY(!incomplete);
        QCOMPARE(result.height(), world->content.height());
        // Above the box's shadow at the end, every row of the content.
        const int clean = world->content.height() - (500 - box.top() + shadow);
        QCOMPARE(result.copy(0, 0, 400, clean), world->content.copy(0, 0, 400, clean));
    }

    void lastStepOfAFewRowsIsNeverCalledComplete()
    {
        setUpWorld(200, 300, 300 + 4 * 240 + 2);
        const QImage result = run();
        QVERIFY(result.height() <= world->content.height());
        QCOMPARE(result, world->content.copy(0, 0, 200, result.height()));
        QVERIFY(result.height() == world->content.height() || incomplete);
    }

    // A bar across the view's bottom rows, as an overlay scrollbar shows one
    // after a step and fades it a while later: two frames in a row early on
    // show it (a band there), later ones not, and the end view after a short
    // last step shows it over the page's last rows, which no other view
    // shows. They are taken from a look after it faded.
    void overlayBarOverTheLastRowsAfterAShortLastStep()
    {
        setUpWorld(300, 400, 2000 + 130);
        world->wheelPixels = 120;
        world->overlayBarGrabs = 12;
        const int end = world->maxOffset();
        world->overlayBarAt = [end, passed = false](int offset) mutable {
            passed = passed || offset > 720; // faded for good once past
            return (!passed && offset >= 240) || offset == end;
        };
        const QImage result = run(world->bounds);
        const QImage full = world->fullRendering();
        if (incomplete || result != full)
            qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
        QVERIFY(logged(QStringLiteral("Feste Ränder: oben 0, unten 8 px")));
        QVERIFY(!incomplete);
        QCOMPARE(result.size(), full.size());
        QCOMPARE(result, full);
    }

    // An application held up on a busy machine: for a while the view does
    // not follow the input, then goes where all of it sent it at once.
    // Views that stood still after steps once made the run step back to
    // check for the end; the view, moving on meanwhile, looked different,
    // and the run ended there, called complete without the rest.
    void viewHeldUpOnABusyMachineIsNoEnd_data()
    {
        QTest::addColumn<int>("heldMs");
        QTest::addColumn<bool>("wheel");
        QTest::addColumn<bool>("whole");
        QTest::newRow("keys, a second") << 1000 << false << true;
        QTest::newRow("keys, until the end is checked") << 1700 << false << true;
        QTest::newRow("wheel, until the end is checked") << 1580 << true << true;
        // Held through every check: nothing tells that from the end.
        QTest::newRow("keys, past the checks") << 3000 << false << false;
        QTest::newRow("wheel, past the checks") << 3000 << true << false;
    }
    void viewHeldUpOnABusyMachineIsNoEnd()
    {
        QFETCH(int, heldMs);
        QFETCH(bool, wheel);
        QFETCH(bool, whole);
        setUpWorld(300, 400, 3000);
        world->wheelPixels = 120;
        qint64 heldSince = -1;
        onSleep = [&] {
            if (heldSince < 0 && world->offset >= 900) {
                world->held = true;
                heldSince = clock.milliseconds();
            } else if (heldSince >= 0 && clock.milliseconds() - heldSince >= heldMs) {
                world->held = false;
            }
        };
        const QImage result = wheel ? run(world->bounds) : run();
        onSleep = nullptr;
        const QImage full = world->fullRendering();
        if (incomplete == whole)
            qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
        QVERIFY2(incomplete || result == full,
                 qPrintable(QStringLiteral("%1 of %2 rows, called complete").arg(result.height()).arg(full.height())));
        QCOMPARE(incomplete, !whole);
    }

    void runOutlivingItsCaptureStopsAndKeepsWhatItHas()
    {
        setUpWorld(200, 300, 3000);
        auto running = capture->captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, std::nullopt}, QStringLiteral("Liste"));
        onSleep = [this] {
            if (capture && world->events.count(QStringLiteral("pageDown")) == 3)
                capture.reset();
        };
        const CapturedScreenshot shot = awaitTask(std::move(running));
        QVERIFY(!capture);
        QVERIFY(shot.incomplete);
        QVERIFY(shot.scrollStops.contains(ScrollStop::captureGone));
        const qsizetype keys = world->events.size();
        QTest::qWait(50);
        QCOMPARE(world->events.size(), keys); // nothing sent after it went
        QCOMPARE(shot.image.convertToFormat(QImage::Format_RGB32),
                 world->fullRendering().copy(0, 0, 200, shot.image.height()));
    }

    void captureGoneInTheMiddleOfAWheelStepSendsNotOneClickMore()
    {
        setUpWorld(200, 300, 3000);
        auto running = capture->captureWindowScrolling(
            PickedWindow{FakeScrollWorld::pid, world->bounds, FakeScrollWorld::window, world->bounds},
            QStringLiteral("Liste"));
        // Between two clicks of a step of several, once the steps are sized.
        qsizetype sent = -1;
        onSleep = [this, &sent] {
            if (capture && pauseMs == ScrollStepper::clickPauseMs
                && world->events.count(QStringLiteral("wheel-1")) == 5) {
                capture.reset();
                sent = world->events.size();
            }
        };
        const CapturedScreenshot shot = awaitTask(std::move(running));
        QVERIFY(sent > 0);
        QVERIFY(shot.incomplete);
        // The rest of the step was refused, and nothing came after it.
        QVERIFY(logged(QStringLiteral("Aufnahme vorbei — keine Eingabe und kein Bild mehr")));
        QCOMPARE(world->events.size(), sent);
        QTest::qWait(50);
        QCOMPARE(world->events.size(), sent);
    }

    void largestWindowOfTheApplicationIsTaken()
    {
        setUpWorld(300, 400, 1200);
        const QRectF small(500, 500, 200, 100);
        world->extraWindows = {WindowInfo{99, FakeScrollWorld::pid, small, 0, std::nullopt},
                               WindowInfo{98, FakeScrollWorld::pid, QRectF(0, 0, 400, 300), 0, std::nullopt},
                               WindowInfo{97, FakeScrollWorld::pid, QRectF(0, 0, 2000, 2000), 3, std::nullopt}};
        QCOMPARE(run(std::nullopt, PickedWindow{FakeScrollWorld::pid, small, 99, std::nullopt}),
                 world->fullRendering());
        QCOMPARE(world->activations, QList<quint32>{FakeScrollWorld::window}); // the first of equals
    }

    void ownApplicationWindowsStepAsideButNotUnmanagedOnes()
    {
        setUpWorld(200, 300, 600);
        QWidget editor, trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        editor.show();
        trayIcon.show();
        run();
        QVERIFY(!editor.isVisible() && trayIcon.isVisible());
    }
};

ZENTU_TEST_MAIN(TestScrollLoop)
#include "tst_scrollloop.moc"
