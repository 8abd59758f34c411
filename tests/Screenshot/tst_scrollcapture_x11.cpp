// The scrolling capture end to end on a real X server with openbox: a list
// application in its own process is focused, scrolled with XTest (Page Down
// for the whole window, wheel clicks for a dragged section) and stitched; the
// result must show the list's full rendering row for row.
//
// Tolerance: the whole-window result must have exactly the size of the full
// rendering (header, every content row, footer) and the section result the
// size of the content; at most 0.5 % of their rows may differ from it (a
// seam may be off by a row when a step is measured one row short or long);
// in practice every row matches.
#include "Platform/X11/X11ApplicationIdentity.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11InputSynthesis.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowServer.h"
#include "Screenshot/ScrollCancel.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowScrollCapture.h"
#include "Screenshot/WindowShot.h"
#include "helpers/ScrollPattern.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

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

    std::shared_ptr<X11WindowServer> windows;
    std::shared_ptr<X11ScreenSource> screens;
    std::unique_ptr<X11CapturePermissions> permissions;
    X11WindowActivation activation;
    X11InputSynthesis input;
    X11ApplicationIdentity identity;

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

    QImage capture(ScrollListApp& app, std::optional<QRectF> section)
    {
        WindowScrollCapture loop({*permissions, *screens, *windows, activation, input, identity, nullptr});
        const PickedWindow picked{qint32(app.process.processId()), app.bounds, app.id, section};
        return awaitTask(loop.captureWindowScrolling(picked, QStringLiteral("Liste")), 200000);
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
    }

    void wholeWindowWithPageDown()
    {
        ScrollListApp app(QRect(300, 120, 420, 600), 2600, 900);
        QVERIFY(waitForWindow(app));
        const QImage result = capture(app, std::nullopt);
        const QImage expected = ScrollPattern::fullRendering(420, 2600, header, footer);
        QCOMPARE(result.size(), expected.size());
        const int differ = differingRows(result, expected);
        qInfo("%d of %d rows differ", differ, expected.height());
        QVERIFY2(differ <= expected.height() / 200, qPrintable(QStringLiteral("%1 rows differ").arg(differ)));
        // Cover gone afterwards.
        QTRY_VERIFY(!ScrollCoverOverlay::shared().window() || !ScrollCoverOverlay::shared().window()->isVisible());
    }

    void sectionWithTheWheel()
    {
        ScrollListApp app(QRect(260, 100, 400, 560), 2000, 700);
        QVERIFY(waitForWindow(app));
        const QPoint before(40, 900);
        QCursor::setPos(before);
        QTRY_COMPARE(QCursor::pos(), before);
        const QRectF section(app.bounds.x(), app.bounds.y() + header, app.bounds.width(),
                             app.bounds.height() - header - footer);
        const QImage result = capture(app, section);
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
