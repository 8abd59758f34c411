// Debian's Chromium showing a long local page under a sticky header, captured
// through the program's own scrolling capture on a real X server: the user
// clicks the browser window, or drags a section of the page. Without
// accessibility Chromium cannot tell the page's address, so the window is
// scrolled (Page Down first; under the sticky header a page step leaves no
// overlap and the wheel takes over) and stitched; with accessibility on its
// page is recognised and rendered whole. Every section must come back once,
// whole and in order.
#include "Debug/DebugLog.h"
#include "Screenshot/ScrollCapture.h"
#include "helpers/CodedRows.h"
#include "support/AwaitTask.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollEngineRig.h"
#include "support/SessionBus.h"
#include "support/XTestMouse.h"

#include <QUrl>

class TestScrollChromiumX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> bus;
    std::unique_ptr<ScrollEngineRig> rig;
    XTestMouse mouse;

    static void checkComplete(const std::optional<CapturedScreenshot>& shot, const ScrollApp& app)
    {
        QVERIFY(shot);
        if (const QByteArray keep = qgetenv("ZENTU_TEST_KEEP_IMAGES"); !keep.isEmpty())
            shot->image.save(QString::fromLocal8Bit(keep) + QLatin1Char('/') + QTest::currentTestFunction() + ".png");
        const CodedRows::Verdict verdict = CodedRows::verify(shot->image, app.items());
        qInfo("%d of %d sections, %dx%d", verdict.found, app.items(), shot->image.width(), shot->image.height());
        if (!verdict.problem.isEmpty() || shot->incomplete)
            qInfo().noquote() << debugLogMessages().join(QLatin1Char('\n'));
        QVERIFY2(verdict.problem.isEmpty(), qPrintable(verdict.problem));
        QVERIFY(!shot->incomplete);
    }

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
        checkComplete(awaitTask(std::move(run), 240000), app);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral(
            "BROWSER Chromium: Chromium: kein Tab im gewählten Fenster. — Fenster wird gescrollt")));
    }

    void sectionIsScrolledWithTheWheel()
    {
        ScrollApp app(ScrollApp::Kind::chromium);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        // The page area, sticky header included.
        const QRect section = app.contentArea();
        auto run = rig->startRun();
        mouse.drag(section.topLeft(), section.bottomRight());
        checkComplete(awaitTask(std::move(run), 240000), app);
        QVERIFY(debugLogMessages().filter(QStringLiteral("SCROLL Mausrad: 120.0 px pro Klick")).size() > 0);
    }

    void recognisedPageIsRenderedWhole()
    {
        ScrollApp app(ScrollApp::Kind::chromium);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows(), true), qPrintable(app.error()));
        auto run = rig->startRun();
        mouse.click(app.contentArea().center());
        checkComplete(awaitTask(std::move(run), 240000), app);
        QVERIFY(debugLogMessages().contains(QStringLiteral("BROWSER Seite wird gerendert: ")
                                            + QUrl::fromLocalFile(app.document()).toDisplayString()));
    }
};

ZENTU_TEST_MAIN(TestScrollChromiumX11)
#include "tst_scrollchromium_x11.moc"
