// Programs that read keys, captured through the program's own scrolling
// capture on a real X server: the capture must never send them a key they
// take for a command. less and man in xterm: the terminal is told by its
// window class and scrolled with the wheel only; less as it comes ignores
// the wheel (the capture is one screen and says it may be incomplete),
// less --mouse follows it line by line (every line once); either way the
// pager still shows the file afterwards, not its help. Mousepad in a
// 640 x 480 window with a sparse file (a coded line, two blank ones), with
// and without an accessibility bus: the user's selection and caret are
// where they were after the capture, and the capture holds every line once,
// called complete.
#include "Debug/DebugLog.h"
#include "helpers/CodedText.h"
#include "support/CodedCapture.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/SessionBus.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QGuiApplication>

Q_DECLARE_METATYPE(ScrollApp::Page)

namespace {

// Coded lines the window shows now: the pager still shows the file.
int codedLinesShown(const ScrollApp& app)
{
    const QImage shot = grabScreen(app.bounds().toAlignedRect());
    if (app.items() == 300) // the manual page
        return int(CodedText::read(shot).size());
    return int(CodedRows::runs(shot, CodedRows::blockColumn(shot)).size());
}

} // namespace

class TestScrollKeyReadersX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> bus;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        bus = std::make_unique<SessionBus>();
        QVERIFY(bus->isRunning());
    }

    void init() { DebugLog::restart(); }

    void pagerInATerminal_data()
    {
        QTest::addColumn<ScrollApp::Page>("page");
        QTest::addColumn<bool>("followsTheWheel");
        QTest::newRow("less") << ScrollApp::Page::pager << false;
        QTest::newRow("less --mouse") << ScrollApp::Page::pagerWithMouse << true;
        QTest::newRow("man") << ScrollApp::Page::manual << false;
    }
    void pagerInATerminal()
    {
        QFETCH(ScrollApp::Page, page);
        QFETCH(bool, followsTheWheel);
        if (ScrollApp::executable(ScrollApp::Kind::xterm).isEmpty())
            QSKIP("xterm is not installed");
        ScrollEngineRig rig;
        ScrollApp app(ScrollApp::Kind::xterm, page);
        QVERIFY2(app.start(QRect(40, 20, 880, 700), rig.windows()), qPrintable(app.error()));
        const ScrollAppCapture capture = captureScrollApp(rig, app, mouse, Pick::window);
        QVERIFY(capture.shot);
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("SCROLL Terminal — nur das Mausrad, keine Tasten")));
        if (followsTheWheel) {
            QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
        } else {
            // One screen, and it says so.
            QVERIFY(capture.shot->incomplete);
            QVERIFY(capture.shot->image.height() <= app.bounds().height() + 1);
        }
        // Still the file, not the pager's help.
        QTRY_VERIFY_WITH_TIMEOUT(codedLinesShown(app) >= 10, 5000);
    }

    void sparseFileInASmallEditor_data()
    {
        QTest::addColumn<bool>("accessibility");
        QTest::newRow("accessibility bus") << true;
        QTest::newRow("no accessibility") << false;
    }
    void sparseFileInASmallEditor()
    {
        QFETCH(bool, accessibility);
        if (ScrollApp::executable(ScrollApp::Kind::mousepad).isEmpty())
            QSKIP("mousepad is not installed");
        ScrollEngineRig rig(accessibility);
        ScrollApp app(ScrollApp::Kind::mousepad, ScrollApp::Page::sparse);
        QVERIFY2(app.start(QRect(100, 60, 640, 480), rig.windows(), accessibility), qPrintable(app.error()));
        // The user selects the number at the end of line 6 (coded line 2),
        // from its end leftwards; the code stays readable.
        const QString window = QString::number(app.window());
        QVERIFY(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window}));
        QStringList keys = {QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+Home")};
        for (int i = 0; i < 6; ++i)
            keys << QStringLiteral("Down");
        keys << QStringLiteral("End");
        for (int i = 0; i < 4; ++i)
            keys << QStringLiteral("shift+Left");
        QVERIFY(xdotool(keys));

        const QPoint title(int(app.bounds().center().x()), int(app.bounds().top()) + 10);
        const ScrollAppCapture capture = captureScrollApp(rig, app, mouse, Pick::window, title);
        QVERIFY(capture.shot);
        QVERIFY(debugLogMessages().contains(QStringLiteral("SCROLL Texteditor — nur das Mausrad, keine Tasten")));
        // Whole, called complete: the steps between the few coded lines go
        // by the distance a click moved the text on the steps measured.
        QVERIFY2(capture.fault.isEmpty() && !capture.shot->incomplete,
                 qPrintable(capture.fault + QLatin1Char('\n') + debugLogMessages().join(QLatin1Char('\n'))));

        // The selection is still there: copying it gives the number.
        QGuiApplication::clipboard()->clear();
        QVERIFY(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window}));
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("ctrl+c")}));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("0002"), 5000);
        // And the caret at its start: one more step left takes the space.
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("shift+Left"),
                         QStringLiteral("ctrl+c")}));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral(" 0002"), 5000);
    }
};

ZENTU_TEST_MAIN(TestScrollKeyReadersX11)
#include "tst_scrollkeyreaders_x11.moc"
