// The progress panel and the cover overlay: one window each at most, their
// window numbers in the grab exclusion set exactly while shown, geometry of
// panel, cover and card, the progress reset, the translucency choice and the
// card's animation phase.
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgress.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/WindowShot.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/IsolatedEnvironment.h"

#include <QPainter>
#include <cmath>

class TestScrollPanels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        compositing = std::make_shared<FakeCompositingInfo>();
        backdropRequests.clear();
        auto source = [this](const QRect& r) {
            backdropRequests.append(r);
            QImage still(r.size(), QImage::Format_ARGB32_Premultiplied);
            still.fill(QColor(200, 30, 30));
            return still;
        };
        ScrollProgressHUD::shared().setCompositingInfo(compositing);
        ScrollProgressHUD::shared().setBackdropSource(source);
        ScrollCoverOverlay::shared().setCompositingInfo(compositing);
        ScrollCoverOverlay::shared().setBackdropSource(source);
    }
    void cleanup()
    {
        ScrollProgressHUD::shared().hide();
        ScrollCoverOverlay::shared().hide();
        QVERIFY(WindowShot::excludeWindowIDs().isEmpty());
    }

    void panelShowsOnceAndIsExcludedWhileShown()
    {
        ScrollProgressHUD& hud = ScrollProgressHUD::shared();
        hud.hide(); // nothing shown: nothing happens
        QVERIFY(!hud.panel());
        ScrollProgress::shared().setStrips(5);
        ScrollProgress::shared().setHeightPx(900);
        hud.show();
        QVERIFY(hud.panel());
        QVERIFY(hud.panel()->isVisible());
        QCOMPARE(ScrollProgress::shared().strips(), 0);
        QCOMPARE(ScrollProgress::shared().heightPx(), 0);
        const quint32 id = *hud.windowID();
        QCOMPARE(id, quint32(hud.panel()->winId()));
        QCOMPARE(WindowShot::excludeWindowIDs(), QSet<quint32>{id});

        // A second show changes nothing, not even the progress.
        QWidget* first = hud.panel();
        ScrollProgress::shared().setStrips(7);
        hud.show();
        QCOMPARE(hud.panel(), first);
        QCOMPARE(ScrollProgress::shared().strips(), 7);
        QCOMPARE(WindowShot::excludeWindowIDs().size(), 1);

        QPointer<QWidget> gone = hud.panel();
        hud.hide();
        QVERIFY(!hud.panel());
        QVERIFY(!hud.windowID());
        QVERIFY(WindowShot::excludeWindowIDs().isEmpty());
        QTRY_VERIFY(gone.isNull());
    }

    void panelIsClickThroughAndNeverActivates()
    {
        ScrollProgressHUD::shared().show();
        QWidget* panel = ScrollProgressHUD::shared().panel();
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QVERIFY(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(panel->testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(panel->size(), QSize(340, 100));
    }

    void panelPlacementAndTexts()
    {
        // An available area of 1512 x 944 puts the panel at (586, 40): centred,
        // 40 px below the top.
        QCOMPARE(ScrollProgressHUD::panelOrigin(QRect(0, 0, 1512, 944)), QPoint(586, 40));
        QCOMPARE(ScrollProgressHUD::panelOrigin(QRect(1920, 30, 1280, 1000)), QPoint(2390, 70));
        QCOMPARE(ScrollProgressHUD::countText(7), QStringLiteral("7 Abschnitte erfasst"));
    }

    void translucencyOnlyWithACompositor()
    {
        compositing->compositing = true;
        ScrollProgressHUD::shared().show();
        ScrollCoverOverlay::shared().show(QRectF(100, 100, 400, 300));
        QVERIFY(ScrollProgressHUD::shared().panel()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(ScrollCoverOverlay::shared().window()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(backdropRequests.isEmpty());
        ScrollProgressHUD::shared().hide();
        ScrollCoverOverlay::shared().hide();

        // Without one both paint over a still of what lies beneath them.
        compositing->compositing = false;
        ScrollCoverOverlay::shared().show(QRectF(100, 100, 400, 300));
        QCOMPARE(backdropRequests, QList<QRect>{QRect(100, 100, 400, 300)});
        QWidget* cover = ScrollCoverOverlay::shared().window();
        QVERIFY(!cover->testAttribute(Qt::WA_TranslucentBackground));
        // The still shows through, darkened and blurred: reddish, darker than it.
        const QColor corner = cover->grab().toImage().pixelColor(5, 150);
        QVERIFY(corner.red() > corner.green() + 40);
        QVERIFY(corner.red() < 200);
    }

    void coverFollowsTheRegion()
    {
        ScrollCoverOverlay& cover = ScrollCoverOverlay::shared();
        cover.hide(); // nothing shown: nothing happens
        cover.show(QRectF(100, 80, 640, 480));
        QWidget* window = cover.window();
        QCOMPARE(window->geometry(), QRect(100, 80, 640, 480));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
        QVERIFY(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QCOMPARE(WindowShot::excludeWindowIDs(), QSet<quint32>{quint32(window->winId())});

        // Shown again: one cover at the new place, one excluded number.
        QPointer<QWidget> old = window;
        cover.show(QRectF(10, 20, 300, 120));
        QVERIFY(cover.window() != old.data());
        QCOMPARE(cover.window()->geometry(), QRect(10, 20, 300, 120));
        QCOMPARE(WindowShot::excludeWindowIDs(), QSet<quint32>{*cover.windowID()});
        QTRY_VERIFY(old.isNull());
        // A region 120 high: the 182-high card is centred and clipped.
        auto* card = cover.window()->findChild<PillView*>();
        QVERIFY(card);
        QCOMPARE(card->geometry(), QRect(20, -31, 260, 182));
        QCOMPARE(card->status(), QStringLiteral("Nehme auf …"));
        QVERIFY(card->animating());

        cover.hide();
        QVERIFY(!cover.window());
        QVERIFY(WindowShot::excludeWindowIDs().isEmpty());
    }

    void cardWidthStaysBetween190And272()
    {
        QCOMPARE(ScrollCoverOverlay::cardWidth(150), 190.0);
        QCOMPARE(ScrollCoverOverlay::cardWidth(260), 220.0);
        QCOMPARE(ScrollCoverOverlay::cardWidth(1000), 272.0);
    }

    void cardPhaseWrapsAfterNinetyTicks()
    {
        PillView card;
        for (int i = 0; i < 45; ++i)
            card.tick();
        QVERIFY(qAbs(card.phase() - 0.5) < 1e-9);
        for (int i = 0; i < 200; ++i) {
            card.tick();
            QVERIFY(card.phase() >= 0 && card.phase() < 1);
        }
        // 245 ticks = 2 cycles + 65 ticks.
        QVERIFY(qAbs(card.phase() - 65.0 / 90) < 1e-6);
    }

    void keycapWidth()
    {
        QImage image(200, 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        // At least as wide as high, else label plus 14.
        QCOMPARE(PillView::pillKeycap(p, QString(), QPointF(10, 10), 20, Qt::black), 20.0);
        const qreal wide = PillView::pillKeycap(p, QStringLiteral("escape escape"), QPointF(10, 10), 20, Qt::black);
        const QFontMetricsF metrics(PillView::preferredFont(&image, 10.4, QFont::DemiBold));
        QCOMPARE(wide, std::ceil(metrics.horizontalAdvance(QStringLiteral("escape escape"))) + 14);
    }

private:
    std::shared_ptr<FakeCompositingInfo> compositing;
    QList<QRect> backdropRequests;
};

ZENTU_TEST_MAIN(TestScrollPanels)
#include "tst_scrollpanels.moc"
