// Applications whose keys would move a selection or a caret, captured through
// the program's own scrolling capture on a real X server with the
// applications' accessibility trees on the bus, as on a desktop: an 800-row
// zenity list (picked as a whole window, by its title text) and a 2,000-line
// file in Mousepad. The accessibility role tells the capture to scroll with
// the wheel: the list's selection stays as it was (none), and every row and
// line must come back once, whole and in order, with the capture calling
// itself complete.
#include "Debug/DebugLog.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "helpers/CodedRows.h"
#include "support/ScreenDriver.h"
#include "support/ScrollApp.h"
#include "support/ScrollAppCapture.h"
#include "support/ScrollEngineRig.h"
#include "support/SessionBus.h"
#include "support/X11Probe.h"

class TestScrollListX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> bus;
    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

private Q_SLOTS:
    void initTestCase()
    {
        bus = std::make_unique<SessionBus>();
        QVERIFY(bus->isRunning());
        rig = std::make_unique<ScrollEngineRig>(true);
    }

    void init() { DebugLog::restart(); }

    void zenityListKeepsItsSelection()
    {
        if (ScrollApp::executable(ScrollApp::Kind::zenity).isEmpty())
            QSKIP("zenity is not installed");
        ScrollApp app(ScrollApp::Kind::zenity);
        QVERIFY2(app.start(QRect(200, 60, 600, 900), rig->windows(), true), qPrintable(app.error()));
        // The user selected row 5: its background takes the selection colour.
        const QRect dialog = app.bounds().toAlignedRect();
        const QImage before = grabScreen(dialog).convertToFormat(QImage::Format_RGB32);
        const QList<CodedRows::Run> rows = CodedRows::runs(before, CodedRows::blockColumn(before));
        QVERIFY(rows.size() > 6 && rows[5].item == 5);
        const int blockRight = [&] {
            int x = CodedRows::blockColumn(before);
            while (x < before.width() && CodedRows::decode(before.pixel(x, rows[5].top + 2)) == 5)
                ++x;
            return x;
        }();
        mouse.click(dialog.topLeft() + QPoint(blockRight + 60, rows[5].top + rows[5].height / 2));
        QRgb selected = 0;
        QVERIFY(QTest::qWaitFor([&] {
            const QImage now = grabScreen(dialog).convertToFormat(QImage::Format_RGB32);
            selected = now.pixel(blockRight + 6, rows[5].top + 1);
            return selected != before.pixel(blockRight + 6, rows[5].top + 1);
        }, 10000));

        // The dialog's text above the list: the whole window is picked.
        const QPoint text(int(app.bounds().center().x()), int(app.bounds().top()) + 14);
        const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, Pick::window, text);
        QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
        QVERIFY(debugLogMessages().contains(
            QStringLiteral("SCROLL Liste oder Text unter dem Fenstermittelpunkt — Mausrad statt Tasten")));
        // Still row 5 and only row 5, all through the capture.
        const QImage result = capture.shot->image.convertToFormat(QImage::Format_RGB32);
        const QList<CodedRows::Run> stitched = CodedRows::runs(result, CodedRows::blockColumn(result));
        QVERIFY(stitched.size() > 5);
        int inRow5 = 0;
        QList<int> elsewhere;
        for (int y = stitched[0].top; y < result.height(); ++y) {
            const bool row5 = y >= stitched[4].top + stitched[4].height && y < stitched[6].top;
            for (int x = blockRight + 2; x < result.width() - 40; x += 4) {
                if (result.pixel(x, y) != selected)
                    continue;
                if (row5)
                    ++inRow5;
                else if (elsewhere.isEmpty() || elsewhere.last() != y)
                    elsewhere.append(y);
            }
        }
        QVERIFY(inRow5 > 0);
        QVERIFY2(elsewhere.isEmpty(), qPrintable(QStringLiteral("selection colour %1 also in rows from %2 (row 5 at %3)")
                                                     .arg(selected, 0, 16).arg(elsewhere.value(0)).arg(stitched[5].top)));
    }

    void mousepadFileLineForLine()
    {
        if (ScrollApp::executable(ScrollApp::Kind::mousepad).isEmpty())
            QSKIP("mousepad is not installed");
        ScrollApp app(ScrollApp::Kind::mousepad);
        QVERIFY2(app.start(QRect(100, 20, 800, 1000), rig->windows(), true), qPrintable(app.error()));
        const QPoint title(int(app.bounds().center().x()), int(app.bounds().top()) + 10);
        const ScrollAppCapture capture = captureScrollApp(*rig, app, mouse, Pick::window, title);
        QVERIFY2(capture.fault.isEmpty(), qPrintable(capture.fault));
    }
};

ZENTU_TEST_MAIN(TestScrollListX11)
#include "tst_scrolllist_x11.moc"
