// Debian's Firefox ESR showing pages of our own, captured through the
// program's own scrolling capture on a real X server (without accessibility
// the browser cannot tell its page's address, so the window is scrolled and
// stitched): a plain long page of 110 sections under a 56 px sticky header,
// whole window and (twice) a dragged section; a sticky navigation column; a
// fixed clock that changes every 40 ms. Every section must come back once,
// whole and in order, and the capture must call itself complete.
#include "Debug/DebugLog.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

Q_DECLARE_METATYPE(ScrollApp::Page)
Q_DECLARE_METATYPE(Pick)

class TestScrollFirefoxX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        if (ScrollApp::executable(ScrollApp::Kind::firefox).isEmpty())
            QSKIP("firefox-esr is not installed");
        rig = std::make_unique<ScrollEngineRig>();
    }

    void init() { DebugLog::restart(); }

    void everySectionOnce_data()
    {
        QTest::addColumn<ScrollApp::Page>("page");
        QTest::addColumn<Pick>("pick");
        QTest::addColumn<int>("runs");
        QTest::newRow("long page, window") << ScrollApp::Page::longPage << Pick::window << 1;
        QTest::newRow("long page, section") << ScrollApp::Page::longPage << Pick::section << 2;
        QTest::newRow("sticky sidebar, window") << ScrollApp::Page::stickySidebar << Pick::window << 1;
        QTest::newRow("sticky sidebar, section") << ScrollApp::Page::stickySidebar << Pick::section << 1;
        QTest::newRow("ticking clock, window") << ScrollApp::Page::tickingClock << Pick::window << 1;
        QTest::newRow("ticking clock, section") << ScrollApp::Page::tickingClock << Pick::section << 1;
    }
    void everySectionOnce()
    {
        QFETCH(ScrollApp::Page, page);
        QFETCH(Pick, pick);
        QFETCH(int, runs);
        ScrollApp app(ScrollApp::Kind::firefox, page);
        QVERIFY2(app.start(QRect(80, 40, 1000, 900), rig->windows()), qPrintable(app.error()));
        for (int run = 0; run < runs; ++run) {
            DebugLog::restart();
            const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, pick);
            QVERIFY2(capture.fault.isEmpty(), qPrintable(QStringLiteral("run %1: ").arg(run) + capture.fault));
        }
    }
};

ZENTU_TEST_MAIN(TestScrollFirefoxX11)
#include "tst_scrollfirefox_x11.moc"
