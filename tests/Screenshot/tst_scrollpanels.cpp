// The progress panel and the cover: one window each at most, left out of the
// grabs exactly while shown (also when the overlay goes away while shown), the
// progress reset on show, real translucency only with a compositor.
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/IsolatedEnvironment.h"

class TestScrollPanels : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeCompositingInfo> compositing = std::make_shared<FakeCompositingInfo>();
    GrabExclusions exclusions{nullptr};
    QList<QRect> backdropRequests;
    Backdrop::Source backdrop = [this](const QRect& r) {
        backdropRequests.append(r);
        QImage still(r.size(), QImage::Format_ARGB32_Premultiplied);
        still.fill(QColor(200, 30, 30));
        return still;
    };
    ScrollProgressHUD hud{compositing, backdrop, exclusions};
    ScrollCoverOverlay cover{compositing, backdrop, exclusions};

private Q_SLOTS:
    void init() { backdropRequests.clear(); }
    void cleanup()
    {
        hud.hide();
        cover.hide();
        QVERIFY(exclusions.ids().isEmpty());
    }

    void panelShowsOnceAndIsLeftOutWhileShown()
    {
        hud.hide(); // nothing shown: nothing happens
        hud.progress().setStrips(5);
        hud.show();
        QCOMPARE(hud.progress().strips(), 0);
        QPointer<QWidget> panel = hud.panel();
        QVERIFY(panel->isVisible());
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(panel->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(exclusions.ids(), QSet<quint32>{quint32(panel->winId())});
        // A second show changes nothing, not even the progress.
        hud.progress().setStrips(7);
        hud.show();
        QCOMPARE(hud.panel(), panel.data());
        QCOMPARE(hud.progress().strips(), 7);
        hud.hide();
        QVERIFY(!hud.panel());
        QVERIFY(exclusions.ids().isEmpty());
        QTRY_VERIFY(panel.isNull());
    }

    void coverShownAgainReplacesItsWindow()
    {
        cover.show(QRectF(100, 80, 640, 480));
        QPointer<QWidget> old = cover.window();
        cover.show(QRectF(10, 20, 300, 120));
        QCOMPARE(cover.window()->geometry(), QRect(10, 20, 300, 120));
        QCOMPARE(exclusions.ids(), QSet<quint32>{*cover.windowID()});
        QTRY_VERIFY(old.isNull());
        {
            ScrollCoverOverlay other(compositing, backdrop, exclusions);
            other.show(QRectF(0, 0, 50, 50));
            QCOMPARE(exclusions.ids().size(), 2);
        }
        QCOMPARE(exclusions.ids(), QSet<quint32>{*cover.windowID()});
    }

    void translucencyOnlyWithACompositor()
    {
        compositing->compositing = true;
        hud.show();
        cover.show(QRectF(100, 100, 400, 300));
        QVERIFY(hud.panel()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(cover.window()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(backdropRequests.isEmpty());
        hud.hide();
        cover.hide();

        // Without one both paint over a still of what lies beneath them.
        compositing->compositing = false;
        cover.show(QRectF(100, 100, 400, 300));
        QCOMPARE(backdropRequests, QList<QRect>{QRect(100, 100, 400, 300)});
        QVERIFY(!cover.window()->testAttribute(Qt::WA_TranslucentBackground));
        // The still shows through, darkened and blurred: reddish, darker than it.
        const QColor corner = cover.window()->grab().toImage().pixelColor(5, 150);
        QVERIFY(corner.red() > corner.green() + 40);
        QVERIFY(corner.red() < 200);
    }
};

ZENTU_TEST_MAIN(TestScrollPanels)
#include "tst_scrollpanels.moc"
