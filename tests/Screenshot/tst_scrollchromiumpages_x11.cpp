// Pages of the kinds most sites have, in Debian's Chromium, captured through
// the program's own scrolling capture on a real X server (the browser cannot
// tell its page's address, so the window is scrolled and stitched): a sticky
// navigation column beside the text, and a fixed clock that changes every
// 40 ms. Every section must come back once, whole and in order, and the
// capture must call itself complete; the navigation column shows once, in
// the first screen, never again further down.
#include "Debug/DebugLog.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

Q_DECLARE_METATYPE(ScrollApp::Page)
Q_DECLARE_METATYPE(Pick)

class TestScrollChromiumPagesX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        if (ScrollApp::executable(ScrollApp::Kind::chromium).isEmpty())
            QSKIP("chromium is not installed");
        rig = std::make_unique<ScrollEngineRig>();
    }

    void init() { DebugLog::restart(); }

    void everySectionOnce_data()
    {
        QTest::addColumn<ScrollApp::Page>("page");
        QTest::addColumn<Pick>("pick");
        QTest::newRow("sticky sidebar, window") << ScrollApp::Page::stickySidebar << Pick::window;
        QTest::newRow("sticky sidebar, section") << ScrollApp::Page::stickySidebar << Pick::section;
        QTest::newRow("ticking clock, window") << ScrollApp::Page::tickingClock << Pick::window;
        QTest::newRow("ticking clock, section") << ScrollApp::Page::tickingClock << Pick::section;
    }
    void everySectionOnce()
    {
        QFETCH(ScrollApp::Page, page);
        QFETCH(Pick, pick);
        ScrollApp app(ScrollApp::Kind::chromium, page);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, pick);
        QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
        if (page == ScrollApp::Page::stickySidebar) {
            // Below the first screen the column is its plain background.
            const QImage image = capture.shot->image.convertToFormat(QImage::Format_RGB32);
            const int x = 60; // inside the column, on its links
            const int below = int(app.contentArea().bottom() - app.bounds().top()) + 20;
            int dark = 0;
            for (int y = below; y < image.height(); ++y)
                dark += qGray(image.pixel(x, y)) < 160;
            QCOMPARE(dark, 0);
        }
    }
};

ZENTU_TEST_MAIN(TestScrollChromiumPagesX11)
#include "tst_scrollchromiumpages_x11.moc"
