// The entry of the scrolling capture: one run at a time, errors, the progress
// panel around page and document captures; translucency only with a compositor.
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollCoverOverlay.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/AwaitTask.h"
#include "support/CaptureErrorOf.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroTimer>

namespace {

const PickedWindow picked{77, QRectF(10, 20, 300, 400), 5, std::nullopt};

class FakeRoad final : public ScrollTargetRoad {
public:
    explicit FakeRoad(ScrollProgressHUD& panel) : panel(panel) { }
    Target resolveTarget(const PickedWindow&) override
    {
        if (resolveError)
            throw CaptureError(*resolveError);
        return target;
    }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        panelDuringCapture = panel.panel() != nullptr;
        if (captureError)
            throw CaptureError(*captureError);
        co_return CapturedScreenshot{image, CaptureKind::scrolling};
    }

    ScrollProgressHUD& panel;
    Target target = Target::window(picked, QStringLiteral("Liste"));
    std::optional<QString> resolveError;
    std::optional<QString> captureError;
    QImage image = QImage(144, 3000, QImage::Format_ARGB32_Premultiplied);
    bool panelDuringCapture = false;
};

} // namespace

class TestScrollCapture : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeCompositingInfo> compositing = std::make_shared<FakeCompositingInfo>();
    GrabExclusions exclusions{nullptr};
    QList<QRect> stills;
    Backdrop::Source backdrop = [this](const QRect& r) {
        stills.append(r);
        QImage still(r.size(), QImage::Format_ARGB32_Premultiplied);
        still.fill(QColor(200, 30, 30));
        return still;
    };
    ScrollProgressHUD panel{compositing, backdrop, exclusions};
    std::shared_ptr<FakeRoad> road;
    int picks = 0;
    std::unique_ptr<ScrollCapture> capture;

private Q_SLOTS:
    void init()
    {
        road = std::make_shared<FakeRoad>(panel);
        picks = 0;
        auto pick = [this]() -> QCoro::Task<std::optional<PickedWindow>> {
            if (++picks == 1) // the first run is still picking when the second starts
                co_await QCoro::sleepFor(std::chrono::milliseconds(50));
            co_return picked;
        };
        capture = std::make_unique<ScrollCapture>(pick, road, panel);
    }

    void imageComesBackPixelForPointPanelOnlyAroundPages()
    {
        road->image.setDevicePixelRatio(2);
        QCOMPARE(awaitTask(capture->run()).value().image.deviceIndependentSize(), QSizeF(144, 3000));
        QVERIFY(!road->panelDuringCapture); // the window loop shows its own cover
        QVERIFY(!capture->isRunning());

        road->target = Target::tab(Tab{QStringLiteral("example.org"), QUrl(QStringLiteral("https://example.org"))});
        QVERIFY(awaitTask(capture->run()));
        QVERIFY(road->panelDuringCapture);
        QVERIFY(!panel.panel());
    }

    void secondStartIsIgnoredWhileRunning()
    {
        auto first = capture->run();
        QVERIFY(capture->isRunning());
        QCOMPARE(awaitTask(capture->run()), std::nullopt);
        QCOMPARE(picks, 1);
        QVERIFY(awaitTask(std::move(first)));
        QVERIFY(!capture->isRunning());
    }

    void roadErrorsReachTheCaller()
    {
        road->resolveError = QStringLiteral("Fenster konnte keiner App zugeordnet werden.");
        QCOMPARE(captureErrorOf([&] { awaitTask(capture->run()); }), *road->resolveError);
        QVERIFY(!capture->isRunning());

        road->resolveError.reset();
        road->captureError = QStringLiteral("PDF ist passwortgeschützt.");
        road->target = Target::pdf(Doc{QUrl::fromLocalFile(QStringLiteral("/tmp/a.pdf")), std::nullopt});
        QCOMPARE(captureErrorOf([&] { awaitTask(capture->run()); }), *road->captureError);
        QVERIFY(road->panelDuringCapture);
        QVERIFY(!panel.panel() && !capture->isRunning()); // hidden also after an error
    }

    void translucentOnlyWithACompositor()
    {
        ScrollCoverOverlay cover(compositing, backdrop, exclusions, panel.progress());
        stills.clear();
        compositing->compositing = true;
        panel.show();
        cover.show(QRectF(100, 100, 400, 300));
        QVERIFY(panel.panel()->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(cover.window()->testAttribute(Qt::WA_TranslucentBackground) && stills.isEmpty());
        panel.hide();

        // Without one both paint over a still of what lies beneath them.
        compositing->compositing = false;
        cover.show(QRectF(100, 100, 400, 300));
        QCOMPARE(stills, QList<QRect>{QRect(100, 100, 400, 300)});
        QVERIFY(!cover.window()->testAttribute(Qt::WA_TranslucentBackground));
        // The still shows through, darkened and blurred: reddish, darker than it.
        const QColor corner = cover.window()->grab().toImage().pixelColor(5, 150);
        QVERIFY2(corner.red() > corner.green() + 40 && corner.red() < 200, qPrintable(corner.name()));
        cover.hide();
        QVERIFY(exclusions.ids().isEmpty());
    }

    void theCoverCountsStripsAndItsScanLinePassesBehindTheCard()
    {
        ScrollCoverOverlay cover(compositing, backdrop, exclusions, panel.progress());
        compositing->compositing = false;
        panel.progress().setStrips(4); // left by an earlier run
        cover.show(QRectF(100, 100, 400, 500));
        auto* card = cover.window()->findChild<PillView*>();
        QVERIFY(card);
        QCOMPARE(card->countText(), QStringLiteral("0 Abschnitte erfasst"));
        panel.progress().setStrips(7); // as the scroll loop reports each strip
        QCOMPARE(card->countText(), QStringLiteral("7 Abschnitte erfasst"));
        // Moved during the run, the cover keeps counting.
        cover.show(QRectF(120, 100, 400, 500));
        card = cover.window()->findChild<PillView*>();
        QCOMPARE(card->countText(), QStringLiteral("7 Abschnitte erfasst"));

        // The sweeping line over the card's middle leaves the card's texts alone.
        QWidget* line = nullptr;
        for (QWidget* w : cover.window()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w != card)
                line = w;
        QVERIFY(line);
        const auto cardPixels = [&] { return cover.window()->grab(card->geometry()).toImage(); };
        line->move(0, -100);
        const QImage clear = cardPixels();
        line->move(0, card->geometry().center().y() - line->height() / 2);
        QCOMPARE(cardPixels(), clear);
        // Beside the card it shows.
        const QRect beside(0, line->geometry().center().y() - 1, card->x(), 2);
        line->move(0, -100);
        const QImage without = cover.window()->grab(beside).toImage();
        line->move(0, card->geometry().center().y() - line->height() / 2);
        QVERIFY(cover.window()->grab(beside).toImage() != without);
        cover.hide();
    }
};

ZENTU_TEST_MAIN(TestScrollCapture)
#include "tst_scrollcapture.moc"
