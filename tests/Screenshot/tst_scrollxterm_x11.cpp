// xterm holding 3,000 numbered lines, captured through the program's own
// scrolling capture on a real X server. Keys would go to the terminal's
// program, not to its view, so the capture tells the terminal by its window
// class and scrolls with the wheel only, both to the top and down through
// every line. Every line must come back once, whole and in order.
#include "Debug/DebugLog.h"
#include "support/AwaitTask.h"
#include "support/CodedCapture.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollApp.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QGuiApplication>
#include <QScreen>

class TestScrollXtermX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        if (ScrollApp::executable(ScrollApp::Kind::xterm).isEmpty())
            QSKIP("xterm is not installed");
        rig = std::make_unique<ScrollEngineRig>();
    }

    void wholeWindowScrollsWithTheWheelOnly()
    {
        DebugLog::restart();
        ScrollApp app(ScrollApp::Kind::xterm);
        // As tall as the screen allows (a taller screen means fewer steps).
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY2(app.start(QRect(40, 10, 880, screen.height() - 80), rig->windows()), qPrintable(app.error()));
        auto run = rig->startRun();
        mouse.click(app.bounds().center().toPoint());
        const QString fault = codedCaptureFault(awaitTask(std::move(run), 240000), app.items());
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QVERIFY(debugLogMessages().contains(QStringLiteral("SCROLL Terminal — nur das Mausrad, keine Tasten")));
    }
};

ZENTU_TEST_MAIN(TestScrollXtermX11)
#include "tst_scrollxterm_x11.moc"
