// The entry of the scrolling capture: one run at a time, a cancelled picker,
// errors of the target road reaching the caller with the run ended, the
// progress panel only around page and document captures, the image handed
// back pixel for point.
#include "Storage/DebugLog.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollProgressHUD.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroSignal>
#include <QFile>
#include <QWidget>

namespace {

const PickedWindow picked{77, QRectF(10, 20, 300, 400), 5, std::nullopt};

class FakeRoad final : public QObject, public ScrollTargetRoad {
    Q_OBJECT
public:
    Target resolveTarget(const PickedWindow& window) override
    {
        resolved.append(window);
        if (resolveError)
            throw CaptureError(*resolveError);
        return target;
    }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        panelDuringCapture = ScrollProgressHUD::shared().panel() != nullptr;
        if (holdCapture)
            co_await qCoro(this, &FakeRoad::release);
        if (captureError)
            throw CaptureError(*captureError);
        if (!image)
            co_return std::nullopt;
        co_return CapturedScreenshot{*image, CaptureKind::scrolling};
    }

    Target target = Target::window(picked, QStringLiteral("Liste"));
    std::optional<QString> resolveError;
    std::optional<QString> captureError;
    std::optional<QImage> image = QImage(1440, 30000, QImage::Format_ARGB32_Premultiplied);
    bool holdCapture = false;
    bool panelDuringCapture = false;
    QList<PickedWindow> resolved;

Q_SIGNALS:
    void release();
};

} // namespace

class TestScrollCapture : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeRoad> road;
    std::optional<PickedWindow> pickAnswer;
    int picks = 0;
    std::unique_ptr<ScrollCapture> capture;

private Q_SLOTS:
    void init()
    {
        DebugLog::restart();
        road = std::make_shared<FakeRoad>();
        pickAnswer = picked;
        picks = 0;
        capture = std::make_unique<ScrollCapture>(
            [this]() -> QCoro::Task<std::optional<PickedWindow>> {
                ++picks;
                co_return pickAnswer;
            },
            road);
    }

    void windowImageComesBackPixelForPoint()
    {
        QImage hi(1440, 30000, QImage::Format_ARGB32_Premultiplied);
        hi.setDevicePixelRatio(2);
        road->image = hi;
        const std::optional<CapturedScreenshot> shot = awaitTask(capture->run());
        QVERIFY(shot);
        const QImage* image = &shot->image;
        QCOMPARE(image->size(), QSize(1440, 30000));
        QCOMPARE(image->deviceIndependentSize(), QSizeF(1440, 30000));
        QCOMPARE(road->resolved, QList<PickedWindow>{picked});
        QVERIFY(!road->panelDuringCapture); // a plain window shows no panel here
        QVERIFY(!capture->isRunning());
    }

    void secondStartIsIgnoredWhileRunning()
    {
        road->holdCapture = true;
        auto first = capture->run();
        QVERIFY(capture->isRunning());
        QCOMPARE(awaitTask(capture->run()), std::nullopt);
        QCOMPARE(picks, 1);
        QFile log(DebugLog::filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("SCROLL: bereits aktiv — Doppelstart ignoriert\n"));
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
        try {
            awaitTask(capture->run());
            QFAIL("no error");
        } catch (const CaptureError& e) {
            QCOMPARE(e.message(), *road->resolveError);
        }
        QVERIFY(!capture->isRunning());

        road->resolveError.reset();
        road->captureError = QStringLiteral("PDF ist passwortgeschützt.");
        road->target = Target::pdf(Doc{QUrl::fromLocalFile(QStringLiteral("/tmp/a.pdf")), std::nullopt});
        try {
            awaitTask(capture->run());
            QFAIL("no error");
        } catch (const CaptureError& e) {
            QCOMPARE(e.message(), *road->captureError);
        }
        QVERIFY(road->panelDuringCapture);
        QVERIFY(!ScrollProgressHUD::shared().panel()); // hidden also after an error
        QVERIFY(!capture->isRunning());
    }

    void pageCaptureShowsThePanelWhileItRuns()
    {
        road->target = Target::tab(Tab{QStringLiteral("example.org"), QUrl(QStringLiteral("https://example.org"))});
        QVERIFY(awaitTask(capture->run()));
        QVERIFY(road->panelDuringCapture);
        QVERIFY(!ScrollProgressHUD::shared().panel());
    }
};

ZENTU_TEST_MAIN(TestScrollCapture)
#include "tst_scrollcapture.moc"
