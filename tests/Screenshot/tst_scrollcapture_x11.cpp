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
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScrollEngineRig.h"
#include "support/XTestMouse.h"

#include <QCursor>
#include <QProcess>

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

} // namespace

class TestScrollCaptureX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<ScrollEngineRig> rig;
    XTestMouse mouse;

    // Until the list's window is up and its header band painted.
    bool waitForWindow(ScrollListApp& app)
    {
        return app.id && QTest::qWaitFor([&] {
            for (const WindowInfo& w : rig->windows().windowList().value_or(QList<WindowInfo>()))
                if (w.number == app.id && w.bounds.size() == app.rect.size())
                    app.bounds = w.bounds;
            const QRectF band(app.bounds.topLeft(), QSizeF(app.bounds.width(), header));
            const QImage grab = rig->engine().grabber().image(band, 1);
            return !app.bounds.isEmpty() && !grab.isNull()
                && grab.convertToFormat(QImage::Format_RGB32) == ScrollPattern::band(int(band.width()), header, 1);
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
        QVERIFY(waitForWindow(app));
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
};

ZENTU_TEST_MAIN(TestScrollCaptureX11)
#include "tst_scrollcapture_x11.moc"
