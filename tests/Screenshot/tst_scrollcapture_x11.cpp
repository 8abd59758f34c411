// The scrolling capture on a real X server with openbox and no compositing
// manager, assembled as the program does it:
// - the cover and the progress panel lie over a window of another process,
//   yet the frame grabs show that window and not them; clicks and wheel turns
//   go through the cover (the wheel in the section captures);
// - end to end, the user clicks a list application (in its own process) on
//   the window picker, or drags a section of it; the list is scrolled with
//   XTest (Page Down for the whole window, wheel clicks for the section) and
//   stitched; the result must show the list's full rendering row for row (the
//   whole window header, every content row and footer, the section the
//   content; at most 0.5 % of the rows may differ, a seam may be off by a row
//   when a step is measured one row short or long; in practice none do);
// - Escape typed into another application raises the cancel flag and still
//   reaches it; typed into our own window it is taken by us.
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/XInputKeyWatch.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCapture.h"
#include "fakes/FakeKeyWatch.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QCursor>
#include <QLineEdit>
#include <QProcess>
#include <QMouseEvent>
#include <cstdlib>

namespace {

constexpr int header = 48;
constexpr int footer = 44;
constexpr int rows = 2600;

// The list in a process of its own, 420 x 600 at (300, 120), shown from row 900 on.
struct ScrollListApp {
    const QRect rect{300, 120, 420, 600};
    QProcess process;
    quint32 id = 0;
    QRectF bounds;

    ScrollListApp()
    {
        QStringList args;
        for (int v : {rect.x(), rect.y(), rect.width(), rect.height(), rows, header, footer, 900})
            args << QString::number(v);
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentu_scroll_list"), args);
        if (process.waitForStarted(5000) && process.waitForReadyRead(15000))
            id = process.readLine().trimmed().toUInt();
    }
    ~ScrollListApp()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }
};

// Rows of a that differ from the same row of b.
int differingRows(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int row = 0; row < x.height(); ++row)
        differ += row >= b.height() || memcmp(x.constScanLine(row), b.constScanLine(row), size_t(x.width()) * 4);
    return differ;
}

// Counts the clicks that reach it.
class ClickTarget final : public QWidget {
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

// A plain X client of its own, standing in for another application.
struct OtherClient {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t window = xcb_generate_id(c);
    int received[256] = {};

    OtherClient()
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const quint32 values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK,
                          values);
        xcb_map_window(c, window);
        xcb_flush(c);
    }
    ~OtherClient() { xcb_disconnect(c); }

    bool focus()
    {
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
        xcb_flush(c);
        auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const bool ok = reply && reply->focus == window;
        free(reply);
        return ok;
    }
    // Key presses this client has received so far, per keycode.
    int keyPressesReceived(quint8 keycode)
    {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_KEY_PRESS)
                ++received[reinterpret_cast<xcb_key_press_event_t*>(e)->detail];
            free(e);
        }
        return received[keycode];
    }
};

} // namespace

class TestScrollCaptureX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

    // The window's bounds once the window server lists it (at that size, when given).
    QRectF listedBounds(quint32 id, QSizeF size = {})
    {
        QRectF bounds;
        (void)QTest::qWaitFor([&] {
            for (const WindowInfo& w : rig->windows().windowList().value_or(QList<WindowInfo>()))
                if (w.number == id && (size.isEmpty() || w.bounds.size() == size))
                    bounds = w.bounds;
            return !bounds.isEmpty();
        }, 15000);
        return bounds;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(!X11CompositingInfo().isCompositing()); // cover and panel paint over stills
        rig = std::make_unique<ScrollEngineRig>();
        QVERIFY(rig->input().isAvailable());
    }

    void coverAndPanelStayOutOfTheGrabs()
    {
        HelperWindow helper(QRect(600, 20, 700, 520), 7);
        const QRectF bounds = listedBounds(helper.id);
        QVERIFY(!bounds.isEmpty());
        // How many pixels (every third) of a picture of r differ from the helper's pattern.
        auto mismatches = [&](const QImage& grab, const QRectF& r) {
            if (grab.size() != r.size().toSize())
                return -1;
            int wrong = 0;
            const int dx = int(r.x() - bounds.x());
            const int dy = int(r.y() - bounds.y());
            for (int y = 0; y < grab.height(); y += 3)
                for (int x = 0; x < grab.width(); x += 3)
                    wrong += (grab.pixel(x, y) & 0xffffff) != (HelperWindow::pattern(dx + x, dy + y, helper.seed) & 0xffffff);
            return wrong;
        };
        auto displayGrab = [&](const QRectF& r) {
            const ShareableDisplays content = rig->screens().shareableDisplays();
            return rig->screens().captureDisplay(content.displays.first(), QSize(), false).copy(r.toRect());
        };
        const WindowGrabber& grabber = rig->engine().grabber();
        ScrollCoverOverlay& cover = rig->engine().cover();
        ScrollProgressHUD& hud = rig->engine().panel();
        const QRectF region = bounds.adjusted(50, 180, -50, -40);
        QCOMPARE(mismatches(grabber.image(region, 1), region), 0);

        cover.show(QRectF(region.topLeft(), QSizeF(100, 100)));
        cover.show(region); // one cover, at the new place
        hud.progress().setStrips(5);
        hud.show();
        QCOMPARE(hud.progress().strips(), 0);
        QWidget* panelWindow = hud.panel();
        hud.show(); // shown already: nothing changes
        QCOMPARE(hud.panel(), panelWindow);
        QVERIFY(panelWindow->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(panelWindow->testAttribute(Qt::WA_ShowWithoutActivating));
        const QRectF panel = panelWindow->geometry();
        QVERIFY(bounds.contains(panel));
        // Both are really on the screen: a plain grab of the display shows them.
        QTRY_VERIFY_WITH_TIMEOUT(mismatches(displayGrab(region), region) > 100, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(mismatches(displayGrab(panel), panel) > 100, 10000);
        // The frame grabs do not: once the window has repainted what the
        // cover hid, its own picture is whole.
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(grabber.image(region, 1), region), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(grabber.image(panel, 1), panel), 0, 10000);

        hud.hide();
        cover.hide();
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(displayGrab(region), region), 0, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(mismatches(displayGrab(panel), panel), 0, 10000);
    }

    // (Wheel turns go through it in every section capture below.)
    void clicksGoThroughTheCover()
    {
        ClickTarget target;
        target.setWindowFlags(Qt::FramelessWindowHint);
        target.setGeometry(100, 600, 300, 200);
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        const QRect global(target.mapToGlobal(QPoint(0, 0)), target.size());
        ScrollCoverOverlay& cover = rig->engine().cover();
        cover.show(QRectF(global.adjusted(20, 20, -20, -20)));
        QTRY_VERIFY_WITH_TIMEOUT(cover.window()->isVisible(), 15000);
        QVERIFY(QTest::qWaitForWindowExposed(cover.window()));
        mouse.click(global.center(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(target.presses, 1, 15000);
        cover.hide();
    }

    void rightClickOrEscapeCancelsThePicker()
    {
        auto run = rig->startRun();
        mouse.click(QPoint(500, 500), 3);
        QCOMPARE(awaitTask(std::move(run), 10000), std::nullopt);
        QVERIFY(!rig->capture().isRunning());

        auto again = rig->startRun();
        const xcb_keycode_t escape = rig->input().keycodeFor(0xff1b);
        QVERIFY(escape);
        mouse.key(escape);
        QCOMPARE(awaitTask(std::move(again), 10000), std::nullopt);
    }

    void listComesBackRowForRow_data()
    {
        QTest::addColumn<bool>("section");
        QTest::newRow("clicked window, Page Down") << false;
        QTest::newRow("dragged section, wheel") << true;
    }

    void listComesBackRowForRow()
    {
        QFETCH(bool, section);
        ScrollListApp app;
        app.bounds = listedBounds(app.id, app.rect.size());
        const QRectF band(app.bounds.topLeft(), QSizeF(app.rect.width(), header));
        QVERIFY(QTest::qWaitFor([&] { // painted
            const QImage grab = rig->engine().grabber().image(band, 1).convertToFormat(QImage::Format_RGB32);
            return grab == ScrollPattern::band(app.rect.width(), header, 1);
        }, 15000));
        auto run = rig->startRun();
        if (section) // exactly over the list's content area, between its bands
            mouse.drag(QPoint(int(app.bounds.x()), int(app.bounds.y()) + header),
                       QPoint(int(app.bounds.right()), int(app.bounds.bottom()) - footer));
        else
            mouse.click(QPoint(500, 400));
        const QPoint before = QCursor::pos();
        const std::optional<CapturedScreenshot> captured = awaitTask(std::move(run), 200000);
        QVERIFY(captured);
        QVERIFY(!captured->incomplete);
        const QImage expected
            = section ? ScrollPattern::content(420, rows) : ScrollPattern::fullRendering(420, rows, header, footer);
        QCOMPARE(captured->image.size(), expected.size());
        const int differ = differingRows(captured->image, expected);
        qInfo("%d of %d rows differ", differ, expected.height());
        QVERIFY2(differ <= expected.height() / 200, qPrintable(QStringLiteral("%1 rows differ").arg(differ)));
        // The pointer is back where it was, the cover gone.
        QTRY_COMPARE(QCursor::pos(), before);
        QTRY_VERIFY(!rig->engine().cover().window());
    }

    void escapeInAnotherApplicationAndInOurOwnWindow()
    {
        constexpr quint8 escape = 9;
        constexpr quint8 letterA = 38;
        XInputKeyWatch keys;
        ScrollCancel cancel(keys);
        {
            OtherClient other;
            QVERIFY(QTest::qWaitFor([&] { return other.focus(); }, 5000));
            cancel.begin();
            mouse.key(letterA);
            QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(letterA), 1, 15000);
            QCoreApplication::processEvents();
            QVERIFY(!cancel.requested());
            mouse.key(escape);
            QTRY_VERIFY_WITH_TIMEOUT(cancel.requested(), 15000);
            // The other application still got its Escape.
            QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(escape), 1, 15000);
            cancel.end();
            QVERIFY(!cancel.requested());
            mouse.key(escape);
            QTRY_COMPARE_WITH_TIMEOUT(other.keyPressesReceived(escape), 2, 15000);
            QCoreApplication::processEvents();
            QVERIFY(!cancel.requested());
        }

        // In our own window, also without the desktop-wide watch: taken by us.
        FakeKeyWatch none;
        none.available = false;
        ScrollCancel own(none);
        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        own.begin();
        QTest::keyClick(&edit, Qt::Key_A);
        QCOMPARE(edit.text(), QStringLiteral("a"));
        QVERIFY(!own.requested());
        struct Probe : QObject {
            int presses = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                presses += e->type() == QEvent::KeyPress;
                return false;
            }
        } probe;
        edit.installEventFilter(&probe);
        QTest::keyClick(&edit, Qt::Key_Escape);
        QVERIFY(own.requested());
        QCOMPARE(probe.presses, 0);
        own.end();
        QTest::keyClick(&edit, Qt::Key_Escape); // reaches the window again
        QCOMPARE(probe.presses, 1);
        QVERIFY(!own.requested());
    }
};

ZENTU_TEST_MAIN(TestScrollCaptureX11)
#include "tst_scrollcapture_x11.moc"
