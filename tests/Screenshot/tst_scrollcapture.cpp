// The entry of the scrolling capture: one run at a time, a cancelled picker,
// errors of the target road reaching the caller with the run ended, the
// progress panel only around page and document captures, the image handed
// back pixel for point.
#include "Storage/DebugLog.h"
#include "Screenshot/GrabExclusions.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "fakes/FakeCompositingInfo.h"
#include "support/AwaitTask.h"
#include "support/CaptureErrorOf.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroSignal>

namespace {

const PickedWindow picked{77, QRectF(10, 20, 300, 400), 5, std::nullopt};

class FakeRoad final : public QObject, public ScrollTargetRoad {
    Q_OBJECT
public:
    explicit FakeRoad(ScrollProgressHUD& panel) : panel(panel) { }
    Target resolveTarget(const PickedWindow& window) override
    {
        resolved.append(window);
        if (resolveError)
            throw CaptureError(*resolveError);
        return target;
    }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        panelDuringCapture = panel.panel() != nullptr;
        if (holdCapture)
            co_await qCoro(this, &FakeRoad::release);
        if (captureError)
            throw CaptureError(*captureError);
        co_return CapturedScreenshot{image, CaptureKind::scrolling};
    }

    ScrollProgressHUD& panel;
    Target target = Target::window(picked, QStringLiteral("Liste"));
    std::optional<QString> resolveError;
    std::optional<QString> captureError;
    QImage image = QImage(1440, 30000, QImage::Format_ARGB32_Premultiplied);
    bool holdCapture = false;
    bool panelDuringCapture = false;
    QList<PickedWindow> resolved;

Q_SIGNALS:
    void release();
};

} // namespace

class TestScrollCapture : public QObject {
    Q_OBJECT

    GrabExclusions exclusions{nullptr};
    ScrollProgressHUD panel{std::make_shared<FakeCompositingInfo>(), {}, exclusions};
    std::shared_ptr<FakeRoad> road;
    std::optional<PickedWindow> pickAnswer;
    int picks = 0;
    std::unique_ptr<ScrollCapture> capture;

private Q_SLOTS:
    void init()
    {
        DebugLog::restart();
        road = std::make_shared<FakeRoad>(panel);
        pickAnswer = picked;
        picks = 0;
        auto pick = [this]() -> QCoro::Task<std::optional<PickedWindow>> {
            ++picks;
            co_return pickAnswer;
        };
        capture = std::make_unique<ScrollCapture>(pick, road, panel);
    }

    void imageComesBackPixelForPointPanelOnlyAroundPages()
    {
        road->image.setDevicePixelRatio(2);
        const std::optional<CapturedScreenshot> shot = awaitTask(capture->run());
        QVERIFY(shot);
        QCOMPARE(shot->image.deviceIndependentSize(), QSizeF(1440, 30000));
        QCOMPARE(road->resolved, QList<PickedWindow>{picked});
        QVERIFY(!road->panelDuringCapture); // the window loop shows its own cover
        QVERIFY(!capture->isRunning());

        road->target = Target::tab(Tab{QStringLiteral("example.org"), QUrl(QStringLiteral("https://example.org"))});
        QVERIFY(awaitTask(capture->run()));
        QVERIFY(road->panelDuringCapture);
        QVERIFY(!panel.panel());
    }

    void secondStartIsIgnoredWhileRunning()
    {
        road->holdCapture = true;
        auto first = capture->run();
        QVERIFY(capture->isRunning());
        QCOMPARE(awaitTask(capture->run()), std::nullopt);
        QCOMPARE(picks, 1);
        QVERIFY(debugLogMessages().contains(QStringLiteral("SCROLL: bereits aktiv — Doppelstart ignoriert")));
        Q_EMIT road->release();
        QVERIFY(awaitTask(std::move(first)));
        QVERIFY(!capture->isRunning());
    }

    void cancelledPickerEndsTheRun()
    {
        pickAnswer.reset();
        QCOMPARE(awaitTask(capture->run()), std::nullopt);
        QVERIFY(road->resolved.isEmpty());
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
        QVERIFY(!panel.panel()); // hidden also after an error
        QVERIFY(!capture->isRunning());
    }
};

ZENTU_TEST_MAIN(TestScrollCapture)
#include "tst_scrollcapture.moc"
