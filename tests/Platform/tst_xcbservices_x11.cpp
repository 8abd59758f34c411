// The pieces the X11 backends share, on a real X server: grabs in shared
// memory that outlive their pool and connection, pictures drawn in shared
// memory made into pixmaps, and the services that step aside while a
// compositor runs, as the one compositing watch they are handed tells.
#include "Platform/X11/X11RepaintWatch.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/X11Probe.h"

#include <QTest>
#include <xcb/composite.h>

namespace {
bool showsPattern(const QImage& image, const HelperWindow& window)
{
    if (image.size() != window.rect.size())
        return false;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 5)
            if ((image.pixel(x, y) & 0xFFFFFF) != (HelperWindow::pattern(x, y, window.seed) & 0xFFFFFF))
                return false;
    return true;
}

// Whether the server keeps the window's picture off the screen: only then can
// a pixmap be named for it.
bool keepsOwnPicture(const X11Probe& x, xcb_window_t frame)
{
    xcb_connection_t* c = x.connection();
    free(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    xcb_generic_error_t* error = xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, frame, pixmap));
    if (error) {
        free(error);
        return false;
    }
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    return true;
}
} // namespace

class TestXcbServices : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void grabsInSharedMemoryOutliveTheirConnection()
    {
        HelperWindow a(QRect(100, 120, 300, 200), 31);
        QVERIFY(a.id != 0);
        auto x = std::make_unique<XcbConnection>();
        auto images = std::make_unique<XcbImageTransfer>(*x);
        QVERIFY(x->isValid() && x->hasShm());
        QString error;
        QImage first;
        QTRY_VERIFY_WITH_TIMEOUT(showsPattern(first = images->grab(x->root(), a.rect, true, &error), a), 15000);

        // A second grab while the first is out gets memory of its own; given
        // back, that memory serves the next grab still attached.
        QImage second = images->grab(x->root(), a.rect, true, &error);
        QVERIFY(showsPattern(second, a));
        QVERIFY(second.constBits() != first.constBits());
        const uchar* reused = second.constBits();
        second = QImage();
        const QImage third = images->grab(x->root(), a.rect, true, &error);
        QCOMPARE(third.constBits(), reused);

        // The pictures stay whole after the pool and the connection are gone.
        images.reset();
        x.reset();
        QVERIFY(showsPattern(first, a));
        QVERIFY(showsPattern(third, a));
    }

    void picturesBecomePixmaps()
    {
        XcbConnection x;
        XcbImageTransfer images(x);
        QVERIFY(x.hasShm());
        const QSize size(320, 180);
        auto readBack = [&](xcb_pixmap_t pixmap) {
            QString error;
            const QImage image = images.grab(pixmap, QRect(QPoint(0, 0), size), false, &error);
            xcb_free_pixmap(x.get(), pixmap);
            return image;
        };

        // Drawn in shared memory: the pixmap reads that memory, no copy.
        QImage canvas = images.sharedImage(size);
        QVERIFY(!canvas.isNull());
        canvas.fill(qRgb(10, 200, 30));
        canvas.setPixel(319, 179, qRgb(250, 1, 2));
        std::shared_ptr<void> keep;
        const xcb_pixmap_t shared = images.pixmapOf(canvas, &keep);
        QVERIFY(shared != 0);
        QVERIFY(keep);
        QImage back = readBack(shared);
        QCOMPARE(back.pixel(0, 0), qRgb(10, 200, 30));
        QCOMPARE(back.pixel(319, 179), qRgb(250, 1, 2));

        // Any other picture is copied to the server.
        QImage plain(size, QImage::Format_RGB32);
        plain.fill(qRgb(40, 50, 60));
        keep.reset();
        back = readBack(images.pixmapOf(plain, &keep));
        QVERIFY(!keep);
        QCOMPARE(back.pixel(160, 90), qRgb(40, 50, 60));
    }

    void servicesStepAsideWhileTheCompositorTheyAreHandedRuns()
    {
        HelperWindow a(QRect(400, 300, 200, 150), 12);
        QVERIFY(a.id != 0);
        X11Probe probe;
        xcb_window_t frame = XCB_WINDOW_NONE;
        const XcbConnection x;
        QTRY_VERIFY_WITH_TIMEOUT(
            (frame = x.topLevelOf(a.id)) != XCB_WINDOW_NONE && frame != a.id && probe.viewable(frame), 15000);
        QVERIFY(!keepsOwnPicture(probe, frame));

        const auto compositing = std::make_shared<FakeCompositingInfo>();
        X11RepaintWatch repaint(compositing);
        X11WindowRedirector redirector(compositing);
        QVERIFY(repaint.works());

        // A compositor keeps every window's picture and leaves nothing behind.
        compositing->set(true);
        QVERIFY(!repaint.works());
        redirector.keep(a.id);
        QVERIFY(!keepsOwnPicture(probe, frame));

        compositing->set(false);
        QVERIFY(repaint.works());
        redirector.keep(a.id);
        QVERIFY(keepsOwnPicture(probe, frame));
        redirector.releaseAll(); // sent without waiting for the server
        QTRY_VERIFY_WITH_TIMEOUT(!keepsOwnPicture(probe, frame), 10000);
    }
};

ZENTU_TEST_MAIN(TestXcbServices)
#include "tst_xcbservices_x11.moc"
