// Evince showing a 40-page document, captured through the program's own
// scrolling capture on a real X server. A section dragged over the document
// is scrolled with the wheel (Evince's click size is learned from the first
// step) and stitched; the whole window is recognised as a document viewer,
// whose file (a PDF by its content, its name has no ".pdf") is rendered
// whole. Every line must come back once, whole and in order.
#include "Debug/DebugLog.h"
#include "support/AwaitTask.h"
#include "support/CodedCapture.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

class TestScrollEvinceX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        if (ScrollApp::executable(ScrollApp::Kind::evince).isEmpty())
            QSKIP("evince is not installed");
        rig = std::make_unique<ScrollEngineRig>();
    }

    void init() { DebugLog::restart(); }

    void sectionOfTheDocumentIsScrolled()
    {
        ScrollApp app(ScrollApp::Kind::evince);
        QVERIFY2(app.start(QRect(120, 30, 900, 1000), rig->windows()), qPrintable(app.error()));
        // The document's end is a blank page tail: the end, not a doubt.
        const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, Pick::section);
        QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
        QVERIFY(!debugLogMessages().filter(QStringLiteral("SCROLL Mausrad: ")).isEmpty());
    }

    void wholeWindowRendersTheOpenDocument()
    {
        ScrollApp app(ScrollApp::Kind::evince);
        QVERIFY2(app.start(QRect(120, 30, 900, 1000), rig->windows()), qPrintable(app.error()));
        auto run = rig->startRun();
        mouse.click(app.contentArea().center());
        const QString fault = codedCaptureFault(awaitTask(std::move(run), 120000), app.items(), app.pageBreakEvery());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(debugLogMessages().contains(QStringLiteral("BROWSER PDF wird gerendert: ") + app.document()));
    }
};

ZENTU_TEST_MAIN(TestScrollEvinceX11)
#include "tst_scrollevince_x11.moc"
