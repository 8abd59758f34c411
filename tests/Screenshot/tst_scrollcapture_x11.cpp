// The scrolling capture end to end on a real X server with openbox: the user
// clicks a list application (in its own process) on the window picker, or
// drags a section of it; the list is focused, scrolled with XTest (Page Down
// for the whole window, wheel clicks for the section) and stitched; the
// result must show the list's full rendering row for row.
//
// Tolerance: the whole-window result must have exactly the size of the full
// rendering (header, every content row, footer) and the section result the
// size of the content; at most 0.5 % of their rows may differ from it (a
// seam may be off by a row when a step is measured one row short or long);
// in practice every row matches.
#include "App/ScrollCaptureEngine.h"
#include "Platform/X11/AtspiBrowserBridge.h"
#include "Platform/X11/ProcPdfViewerBridge.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11RunningApplications.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/PickedWindowLookup.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowScrollCapture.h"
#include "Screenshot/WindowPicker.h"
#include "Screenshot/WindowShot.h"
#include "fakes/FakeAccessibilityTree.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

#include <QCursor>
#include <QProcess>
#include <xcb/xtest.h>

namespace {

constexpr int header = 48;
constexpr int footer = 44;

struct ScrollListApp {
    ScrollListApp(QRect rect, int contentHeight, int offset)
        : rect(rect)
        , contentHeight(contentHeight)
    {
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zentu_scroll_list"),
                      {QString::number(rect.x()), QString::number(rect.y()), QString::number(rect.width()),
                       QString::number(rect.height()), QString::number(contentHeight), QString::number(header),
                       QString::number(footer), QString::number(offset)});
        if (process.waitForStarted(5000) && process.waitForReadyRead(15000))
            id = process.readLine().trimmed().toUInt();
    }
    ~ScrollListApp()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }
    QRect rect;
    int contentHeight;
    QProcess process;
    quint32 id = 0;
    QRectF bounds;
};

// Rows of a that equal the same row of b (both RGB, compared over a's width).
int differingRows(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int row = 0; row < x.height(); ++row)
        if (row >= y.height() || memcmp(x.constScanLine(row), y.constScanLine(row), size_t(x.width()) * 4) != 0)
            ++differ;
    return differ;
}

// The user's mouse, through XTest.
struct Mouse {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ~Mouse() { xcb_disconnect(c); }
    void moveTo(QPoint at)
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, qint16(at.x()), qint16(at.y()), 0);
        xcb_flush(c);
        QVERIFY(QTest::qWaitFor([&] { return QCursor::pos() == at; }, 2000));
    }
    void button(quint8 button, bool down)
    {
        xcb_test_fake_input(c, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c);
        QTest::qWait(30);
    }
    void key(xcb_keycode_t code)
    {
        xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_flush(c);
    }
    void click(QPoint at, quint8 b = 1)
    {
        moveTo(at);
        button(b, true);
        button(b, false);
    }
    void drag(QPoint from, QPoint to)
    {
        moveTo(from);
        button(1, true);
        for (int i = 1; i <= 4; ++i)
            moveTo(from + (to - from) * i / 4);
        button(1, false);
    }
};

} // namespace

class TestScrollCaptureX11 : public QObject {
    Q_OBJECT

    std::shared_ptr<X11WindowServer> windows;
    std::shared_ptr<X11ScreenSource> screens;
    std::unique_ptr<X11CapturePermissions> permissions;
    X11WindowActivation activation;
    X11InputSynthesis input;
    X11RunningApplications identity;

    bool waitForWindow(ScrollListApp& app)
    {
        if (!app.id)
            return false;
        return QTest::qWaitFor([&] {
            for (const WindowInfo& w : windows->windowList().value_or(QList<WindowInfo>()))
                if (w.number == app.id && w.bounds.size() == app.rect.size())
                    app.bounds = w.bounds;
            if (app.bounds.isEmpty())
                return false;
            // Painted: the header band is on the screen.
            const QImage grab = WindowShot::image(QRectF(app.bounds.topLeft(), QSizeF(app.bounds.width(), header)), 1);
            return !grab.isNull()
                && grab.convertToFormat(QImage::Format_RGB32) == ScrollPattern::band(int(app.bounds.width()), header, 1);
        }, 15000);
    }

    FakeAccessibilityTree noAccessibility; // clicks pick whole windows
    AtspiBrowserBridge browsers;
    ProcPdfViewerBridge viewers;
    std::unique_ptr<ScrollCaptureEngine> engine;
    Mouse mouse;

    // Starts a run and waits until the picker covers the screen.
    QCoro::Task<std::optional<CapturedScreenshot>> startRun()
    {
        auto run = ScrollCapture::run();
        const bool shown = QTest::qWaitFor([] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<PickerView*>(w) && w->isVisible())
                    return true;
            return false;
        }, 5000);
        if (!shown)
            qWarning("the picker did not show");
        QTest::qWait(200); // mapped above everything
        return run;
    }

private Q_SLOTS:
    void initTestCase()
    {
        windows = std::make_shared<X11WindowServer>();
        screens = std::make_shared<X11ScreenSource>();
        permissions = std::make_unique<X11CapturePermissions>(*screens);
        WindowShot::setBackends(windows, screens, std::make_shared<X11WindowRedirector>());
        auto compositing = std::make_shared<X11CompositingInfo>();
        ScrollCoverOverlay::shared().setCompositingInfo(compositing);
        ScrollProgressHUD::shared().setCompositingInfo(compositing);
        QVERIFY(input.isAvailable());
        noAccessibility.available = false;
        // The program's own assembly: picker, browser and document road, loop.
        engine = std::make_unique<ScrollCaptureEngine>(ScrollCaptureEngine::Services{
            *windows, *screens, noAccessibility, *permissions, activation, input, identity, browsers, viewers});
    }

    void rightClickOrEscapeCancelsThePicker()
    {
        auto run = startRun();
        mouse.click(QPoint(500, 500), 3);
        QCOMPARE(awaitTask(std::move(run), 10000), std::nullopt);
        QVERIFY(!ScrollCapture::isRunning());

        auto again = startRun();
        const xcb_keycode_t escape = input.keycodeFor(0xff1b);
        QVERIFY(escape);
        mouse.key(escape);
        QCOMPARE(awaitTask(std::move(again), 10000), std::nullopt);
    }

    void clickedWindowIsScrolledWithPageDown()
    {
        ScrollListApp app(QRect(300, 120, 420, 600), 2600, 900);
        QVERIFY(waitForWindow(app));
        auto run = startRun();
        mouse.click(QPoint(500, 400));
        const std::optional<CapturedScreenshot> captured = awaitTask(std::move(run), 200000);
        QVERIFY(captured);
        QVERIFY(!captured->incomplete);
        const QImage result = captured->image;
        const QImage expected = ScrollPattern::fullRendering(420, 2600, header, footer);
        QCOMPARE(result.size(), expected.size());
        const int differ = differingRows(result, expected);
        qInfo("%d of %d rows differ", differ, expected.height());
        QVERIFY2(differ <= expected.height() / 200, qPrintable(QStringLiteral("%1 rows differ").arg(differ)));
        // Cover gone afterwards.
        QTRY_VERIFY(!ScrollCoverOverlay::shared().window() || !ScrollCoverOverlay::shared().window()->isVisible());
    }

    void draggedSectionIsScrolledWithTheWheel()
    {
        ScrollListApp app(QRect(260, 100, 400, 560), 2000, 700);
        QVERIFY(waitForWindow(app));
        // Drag exactly over the list's content area (between its bands).
        const QPoint from(int(app.bounds.x()), int(app.bounds.y()) + header);
        const QPoint to(int(app.bounds.right()), int(app.bounds.bottom()) - footer);
        auto run = startRun();
        mouse.drag(from, to);
        const QPoint before = QCursor::pos();
        const std::optional<CapturedScreenshot> captured = awaitTask(std::move(run), 200000);
        QVERIFY(captured);
        QVERIFY(!captured->incomplete);
        const QImage result = captured->image;
        const QImage expected = ScrollPattern::content(400, 2000);
        QCOMPARE(result.size(), expected.size());
        const int differ = differingRows(result, expected);
        qInfo("%d of %d rows differ", differ, expected.height());
        QVERIFY2(differ <= expected.height() / 200, qPrintable(QStringLiteral("%1 rows differ").arg(differ)));
        // The pointer is back where it was.
        QTRY_COMPARE(QCursor::pos(), before);
    }
};

ZENTU_TEST_MAIN(TestScrollCaptureX11)
#include "tst_scrollcapture_x11.moc"
