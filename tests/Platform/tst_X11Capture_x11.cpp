// The X11 capture backend against a real X server with openbox: helper
// windows in processes of their own paint a known pattern; the window list,
// the frozen stills, the window pictures (square, or as shaped; without what
// lies over them while kept) and the pointer are checked pixel by pixel. And
// the pieces the backends share: grabs in shared memory that outlive their
// pool and connection, and shared memory given back once the pool has been
// idle a while, pictures drawn in shared memory made
// into pixmaps, and the services that step aside while a compositor runs, as
// the one compositing watch they are handed tells. Window activation and the
// taskbar policy through the window manager, and the shared connection's atom
// cache used from many threads at once (frame grabs and activation run on
// workers).
#include "Platform/X11/X11ActivationPolicy.h"
#include "Platform/X11/X11CapturePermissions.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11ScreenSource.h"
#include "Platform/X11/X11RepaintWatch.h"
#include "Platform/X11/X11WindowRedirector.h"
#include "Platform/X11/X11WindowActivation.h"
#include "Platform/X11/X11WindowServer.h"
#include "Platform/X11/XcbConnection.h"
#include "Platform/X11/XcbImageTransfer.h"
#include "Platform/X11/XcbShmPool.h"
#include "Screenshot/ScreenCapturer.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/X11Probe.h"

#include <QFile>
#include <QThread>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <functional>
#include <xcb/composite.h>

namespace {
// Whether `image` shows the helper's pattern over `area` (image pixels),
// `origin` being the window's top-left corner in the image. Pixels with
// alpha 0 (rounded corners) are skipped.
bool showsPattern(const QImage& image, QRect area, QPoint origin, int seed, QString* why = nullptr)
{
    if (image.isNull() || !image.rect().contains(area)) {
        if (why)
            *why = QStringLiteral("image %1x%2 does not hold the area").arg(image.width()).arg(image.height());
        return false;
    }
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 255) // the rounded corners and their soft edge
                continue;
            if ((p & 0xFFFFFF) != (HelperWindow::pattern(x - origin.x(), y - origin.y(), seed) & 0xFFFFFF)) {
                if (why)
                    *why = QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(p, 8, 16);
                return false;
            }
        }
    return true;
}

// The whole of the helper window, and nothing else.
bool shows(const QImage& image, const HelperWindow& window)
{
    return image.size() == window.rect.size() && showsPattern(image, image.rect(), QPoint(0, 0), window.seed);
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

int indexOf(const QList<WindowInfo>& list, quint32 id)
{
    for (int i = 0; i < list.size(); ++i)
        if (list[i].number == id)
            return i;
    return -1;
}

std::optional<WindowInfo> findWindow(X11WindowServer& server, quint32 id)
{
    const QList<WindowInfo> list = server.windowList().value_or(QList<WindowInfo>());
    const int i = indexOf(list, id);
    return i < 0 ? std::nullopt : std::optional<WindowInfo>(list[i]);
}

// The window manager may still change a window after our request (hand the
// focus to a newly mapped window, drop the state of a window it withdraws):
// a result counts when it holds, not when it flashes by.
bool settles(const std::function<bool()>& condition)
{
    int inARow = 0;
    return QTest::qWaitFor([&] {
        inARow = condition() ? inARow + 1 : 0;
        return inARow >= 20;
    }, 15000);
}

bool shown(QWidget& w)
{
    w.resize(200, 100);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}
} // namespace

class TestX11Capture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowListFreezeAndWindowPicture()
    {
        HelperWindow a(QRect(100, 120, 300, 200), 11);
        QVERIFY(a.id != 0);
        // On one connection, as the program has them.
        const auto x = std::make_shared<XcbConnection>();
        X11ScreenSource source(X11ScreenSource::GrabMethod::automatic, x);
        X11WindowServer server(nullptr, x);
        QVERIFY(!X11CompositingInfo().isCompositing());

        // Listed with its owner and bounds.
        std::optional<WindowInfo> info;
        QTRY_VERIFY_WITH_TIMEOUT((info = findWindow(server, a.id)) && info->bounds == QRectF(a.rect), 15000);
        QCOMPARE(info->ownerPID, qint32(a.process.processId()));
        QCOMPARE(info->layer, 0);
        QCOMPARE(server.ownerPID(a.id), qint32(a.process.processId()));

        // The frozen still holds exactly its pixels.
        ScreenCapturer capturer(source, server);
        QString why;
        QTRY_VERIFY2_WITH_TIMEOUT(
            [&] {
                const QList<FrozenScreen> frozen = capturer.freezeAllScreens();
                return frozen.size() == 1 && frozen[0].cgImage.size() == QSize(1920, 1080)
                    && showsPattern(frozen[0].cgImage, a.rect, a.rect.topLeft(), a.seed, &why);
            }(),
            qPrintable(why), 15000);

        // Its own picture: its pixels, its square corners opaque.
        const QImage picture = capturer.captureWindowImage(a.id, false);
        QCOMPARE(picture.size(), a.rect.size());
        for (const QPoint corner : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 199), QPoint(299, 199)})
            QCOMPARE(picture.pixel(corner), HelperWindow::pattern(corner.x(), corner.y(), a.seed) | 0xFF000000);
        QVERIFY2(showsPattern(picture, picture.rect(), QPoint(0, 0), a.seed, &why), qPrintable(why));
        QString error;
        QVERIFY(server.windowImage(0x7fffff0, QSize(), false, &error).isNull()); // no such window
        QVERIFY(!error.isEmpty());
        // The platform services also serve worker threads (the scrolling capture grabs there).
        const QImage fromWorker = QtConcurrent::run([&] { return server.windowImage(a.id, QSize(), false); }).result();
        QVERIFY2(showsPattern(fromWorker, fromWorker.rect(), QPoint(0, 0), a.seed, &why), qPrintable(why));
        const DisplayInfo display = source.shareableDisplays().displays.value(0);
        const QImage screenFromWorker =
            QtConcurrent::run([&] { return source.captureDisplay(display, QSize(1920, 1080), false); }).result();
        QVERIFY2(showsPattern(screenFromWorker, a.rect, a.rect.topLeft(), a.seed, &why), qPrintable(why));

        // The pointer shows on display and window images only when asked for, never on the still.
        X11Probe().moveTo(QPoint(250, 220));
        QTRY_COMPARE_WITH_TIMEOUT(source.pointerPosition(), QPointF(250, 220), 15000);
        const QRect around(230, 200, 40, 40), inWindow = around.translated(-a.rect.topLeft());
        const ScreenInfo screen = source.screens().value(0);
        QTRY_VERIFY2_WITH_TIMEOUT(showsPattern(capturer.captureDisplayImage(screen, false), around, a.rect.topLeft(), a.seed,
                                               &why), qPrintable(why), 15000);
        QVERIFY(showsPattern(capturer.freezeAllScreens().value(0).cgImage, around, a.rect.topLeft(), a.seed));
        QVERIFY(!showsPattern(capturer.captureDisplayImage(screen, true), around, a.rect.topLeft(), a.seed));
        QVERIFY(!showsPattern(server.windowImage(a.id, QSize(), true), inWindow, QPoint(0, 0), a.seed));
        QVERIFY(showsPattern(server.windowImage(a.id, QSize(), false), inWindow, QPoint(0, 0), a.seed));

        // A window on top comes first in the list and covers it on the still.
        HelperWindow b(QRect(300, 250, 200, 150), 22);
        QVERIFY(b.id != 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QList<WindowInfo> list = server.windowList().value_or(QList<WindowInfo>());
                return indexOf(list, b.id) >= 0 && indexOf(list, b.id) < indexOf(list, a.id);
            }(), 15000);
        QTRY_VERIFY2_WITH_TIMEOUT(
            [&] {
                const QList<FrozenScreen> frozen = capturer.freezeAllScreens();
                return !frozen.isEmpty() && showsPattern(frozen[0].cgImage, b.rect, b.rect.topLeft(), b.seed, &why);
            }(),
            qPrintable(why), 15000);
        // Without a compositing manager the picture is cut from the screen,
        // overlap included; the part outside the overlap is still the window's own.
        const QImage covered = capturer.captureWindowImage(a.id, false);
        QVERIFY(showsPattern(covered, QRect(20, 20, 150, 100), QPoint(0, 0), a.seed, &why));
        QCOMPARE(covered.pixel(250, 150) & 0xFFFFFF, HelperWindow::pattern(50, 20, b.seed) & 0xFFFFFF);
        // Kept by the redirector (as an interactive capture keeps the listed
        // windows), it repaints into a picture of its own: none of the window
        // over it is in it.
        X11WindowRedirector redirector(std::make_shared<FakeCompositingInfo>());
        redirector.keep(a.id);
        QTRY_VERIFY2_WITH_TIMEOUT(shows(capturer.captureWindowImage(a.id, false), a), "overlap in the kept window", 10000);
        // Let go, it is cut from the screen again; kept again (a later
        // capture), its own picture again.
        redirector.releaseAll();
        QTRY_VERIFY_WITH_TIMEOUT(!shows(capturer.captureWindowImage(a.id, false), a), 10000);
        redirector.keep(a.id);
        QTRY_VERIFY2_WITH_TIMEOUT(shows(capturer.captureWindowImage(a.id, false), a), "overlap in the window kept again", 10000);
        redirector.releaseAll();
    }

    void aShapedWindowKeepsItsShapeASquareOneItsCorners()
    {
        // Rounded by its shape, as a compositor's frame may be: outside the
        // shape the picture is transparent, inside it is the window's own.
        HelperWindow round(QRect(600, 100, 200, 120), 17, HelperWindow::Style::rounded);
        QVERIFY(round.id != 0);
        X11WindowServer server;
        QImage picture;
        QTRY_VERIFY_WITH_TIMEOUT(!(picture = server.windowImage(round.id, QSize(), false)).isNull(), 10000);
        QCOMPARE(picture.size(), QSize(200, 120));
        QString why;
        QVERIFY2(showsPattern(picture, picture.rect(), QPoint(0, 0), round.seed, &why), qPrintable(why));
        for (const QPoint corner : {QPoint(0, 0), QPoint(199, 0), QPoint(0, 119), QPoint(199, 119)})
            QCOMPARE(qAlpha(picture.pixel(corner)), 0);
        QCOMPARE(qAlpha(picture.pixel(100, 0)), 255);
        QCOMPARE(qAlpha(picture.pixel(0, 60)), 255);
    }

    void windowPartlyOffTheScreenKeepsItsSize()
    {
        HelperWindow a(QRect(1800, 700, 300, 200), 66);
        QVERIFY(a.id != 0);
        X11WindowServer server;
        std::optional<WindowInfo> info;
        QTRY_VERIFY_WITH_TIMEOUT((info = findWindow(server, a.id)), 15000);
        if (info->bounds.right() <= 1920)
            QSKIP("the window manager kept the window on the screen");
        const QImage picture = server.windowImage(a.id, QSize(), false);
        QCOMPARE(picture.size(), QSize(300, 200));
        const int visible = 1920 - int(info->bounds.x());
        QString why;
        QVERIFY2(showsPattern(picture, QRect(0, 0, visible, 200), QPoint(0, 0), a.seed, &why), qPrintable(why));
        QCOMPARE(qAlpha(picture.pixel(visible, 100)), 0);
        QCOMPARE(qAlpha(picture.pixel(299, 199)), 0);
    }

    void onlyX11SessionsCanBeRead()
    {
        X11ScreenSource source;
        X11CapturePermissions platform(source);
        qputenv("WAYLAND_DISPLAY", "wayland-0");
        const bool preflight = platform.preflightScreenCapture();
        const ShareableDisplays content = source.shareableDisplays();
        qunsetenv("WAYLAND_DISPLAY");
        QVERIFY(!preflight);
        QVERIFY(!content.ok);
        QVERIFY(!content.errorDescription.isEmpty());
        // On the X11 session itself both are granted.
        X11ScreenSource x11;
        X11CapturePermissions granted(x11);
        QVERIFY(granted.preflightScreenCapture() && granted.isAccessibilityTrusted());
    }

    void grabsInSharedMemoryOutliveTheirConnection()
    {
        HelperWindow a(QRect(100, 120, 300, 200), 31);
        QVERIFY(a.id != 0);
        auto x = std::make_unique<XcbConnection>();
        auto images = std::make_unique<XcbImageTransfer>(*x);
        QVERIFY(x->isValid() && x->hasShm());
        QString error;
        QImage first;
        QTRY_VERIFY_WITH_TIMEOUT(shows(first = images->grab(x->root(), a.rect, true, &error), a), 15000);

        // A second grab while the first is out gets memory of its own; given
        // back, that memory serves the next grab still attached.
        QImage second = images->grab(x->root(), a.rect, true, &error);
        QVERIFY(shows(second, a));
        QVERIFY(second.constBits() != first.constBits());
        const uchar* reused = second.constBits();
        second = QImage();
        const QImage third = images->grab(x->root(), a.rect, true, &error);
        QCOMPARE(third.constBits(), reused);

        // The pictures stay whole after the pool and the connection are gone.
        images.reset();
        x.reset();
        QVERIFY(shows(first, a));
        QVERIFY(shows(third, a));
    }

    void idleSharedMemoryGoesBackAfterAWhile()
    {
        // Attached segments a program at rest no longer needs are given back.
        XcbConnection x;
        QVERIFY(x.isValid() && x.hasShm());
        XcbShmPool pool(x, 200);
        const auto attachedSegments = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) ? int(maps.readAll().count("/SYSV")) : -1;
        };
        const int before = attachedSegments();
        std::optional<XcbShmPool::Segment> segment = pool.take(1920 * 1080 * 4);
        QVERIFY(segment);
        QImage picture = pool.image(*segment, QSize(1920, 1080), QImage::Format_RGB32);
        QCOMPARE(attachedSegments(), before + 1);
        picture = QImage();
        QCOMPARE(pool.idleCount(), 1); // kept for the next grab
        QTRY_COMPARE_WITH_TIMEOUT(pool.idleCount(), 0, 5000);
        QCOMPARE(attachedSegments(), before);
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
    // Last: acting as a compositing manager changes the whole display.
    void withACompositorTheWindowPictureHasNoOverlap()
    {
        X11Probe manager;
        xcb_connection_t* c = manager.connection();
        free(xcb_composite_query_version_reply(c, xcb_composite_query_version(c, 0, 4), nullptr));
        xcb_composite_redirect_subwindows(c, manager.root(), XCB_COMPOSITE_REDIRECT_AUTOMATIC);
        const xcb_window_t owner = xcb_generate_id(c);
        xcb_generic_error_t* e = xcb_request_check(c, xcb_create_window_checked(c, 0, owner, manager.root(), -10, -10, 1, 1,
                                                                            0, XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr));
        QVERIFY2(!e, e ? qPrintable(QString::number(e->error_code)) : "");
        xcb_set_selection_owner(c, owner, manager.atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
        free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

        X11ScreenSource source;
        X11WindowServer server;
        QVERIFY(X11CompositingInfo().isCompositing());
        HelperWindow a(QRect(100, 500, 300, 200), 44);
        HelperWindow b(QRect(250, 550, 300, 200), 55);
        QVERIFY(a.id && b.id);
        ScreenCapturer capturer(source, server);
        QString why;
        QTRY_VERIFY2_WITH_TIMEOUT(
            showsPattern(capturer.captureWindowImage(a.id, false), QRect(0, 0, 300, 200), QPoint(0, 0), a.seed, &why),
            qPrintable(why), 15000);
        // ... while the screen shows the other window over it.
        QVERIFY(showsPattern(capturer.freezeAllScreens()[0].cgImage, b.rect, b.rect.topLeft(), b.seed));
    }

    void activatesAWindowThroughTheWindowManager()
    {
        QWidget first, second;
        QVERIFY(shown(first) && shown(second));
        X11WindowActivation activation;
        for (QWidget* w : {&first, &second, &first}) {
            const quint32 id = quint32(w->winId());
            activation.activate(id);
            QVERIFY2(settles([&] { return activation.activeWindow() == std::optional<quint32>(id); }),
                     qPrintable(QString::number(activation.activeWindow().value_or(0))));
        }
    }

    // Accessory windows skip the taskbar; regular ones show in it, also when
    // the policy changes while they are open.
    void windowsFollowThePolicy()
    {
        const auto skips = [](QWidget& w, bool skipping) {
            return settles([&] { return X11ActivationPolicy::skipsTaskbar(&w) == skipping; });
        };
        X11ActivationPolicy policy;
        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QWidget first;
        QVERIFY(shown(first) && skips(first, true));

        // An open window follows a change of policy.
        policy.setPolicy(ActivationPolicy::Policy::regular);
        QVERIFY(skips(first, false));

        // A window shown under the regular policy shows in the taskbar.
        QWidget second;
        QVERIFY(shown(second) && skips(second, false));
        policy.setPolicy(ActivationPolicy::Policy::accessory);
        QVERIFY(skips(first, true) && skips(second, true));

        // Hidden and shown again: still accessory.
        second.hide();
        QVERIFY(shown(second) && skips(second, true));
    }

    void atomsAreInternedSafelyFromManyThreads()
    {
        XcbConnection shared;
        XcbConnection reference;
        QVERIFY(shared.isValid() && reference.isValid());
        X11WindowActivation activation;
        std::atomic_int wrong{0};
        QList<QThread*> threads;
        for (int t = 0; t < 8; ++t) {
            threads << QThread::create([&, t] {
                // New names of this thread (the cache grows) between look-ups
                // of names every thread has cached.
                for (int i = 0; i < 1500; ++i) {
                    const QByteArray name = "ZENTU_TEST_ATOM_" + QByteArray::number(t * 10000 + i);
                    if (shared.atom(name.constData()) == XCB_ATOM_NONE)
                        ++wrong;
                    for (int j = 0; j < 100; ++j)
                        if (shared.atom("WM_NAME") != XCB_ATOM_WM_NAME)
                            ++wrong;
                    if (i % 100 == 0)
                        activation.activeWindow();
                }
            });
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            QVERIFY(thread->wait(60000));
            delete thread;
        }
        QCOMPARE(wrong.load(), 0);
        for (int i = 0; i < 1500; i += 7) {
            const QByteArray name = "ZENTU_TEST_ATOM_" + QByteArray::number(70000 + i);
            QCOMPARE(shared.atom(name.constData()), reference.atom(name.constData()));
        }
    }
};

ZENTU_TEST_MAIN(TestX11Capture)
#include "tst_X11Capture_x11.moc"
