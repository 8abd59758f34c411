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
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/WindowShot.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollEngineRig.h"
#include "support/X11Probe.h"

#include <QCursor>
#include <QProcess>

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

} // namespace

class TestScrollCaptureX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    X11Probe mouse;

    bool waitForWindow(ScrollListApp& app)
    {
        if (!app.id)
            return false;
        return QTest::qWaitFor([&] {
            for (const WindowInfo& w : rig->windows().windowList().value_or(QList<WindowInfo>()))
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

private Q_SLOTS:
    void initTestCase()
    {
        rig = std::make_unique<ScrollEngineRig>();
        QVERIFY(rig->input().isAvailable());
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

    void clickedWindowIsScrolledWithPageDown()
    {
        ScrollListApp app(QRect(300, 120, 420, 600), 2600, 900);
        QVERIFY(waitForWindow(app));
        auto run = rig->startRun();
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
        auto run = rig->startRun();
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
