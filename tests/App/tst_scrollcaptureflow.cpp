// The shell's scrolling-capture road with a fake engine: the program's windows
// step aside and come back in order, exactly once, on every outcome (intro
// cancelled, a permission missing, picker cancelled, engine error, success);
// the image is stored as kind "scrolling" after the windows are back; an
// engine error shows its message as a toast and stores nothing.
#include "App/AppCoordinator.h"
#include "App/ScrollCaptureFlow.h"
#include "Storage/DebugLog.h"
#include "Screenshot/CaptureError.h"
#include "Screenshot/ScrollCapture.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/AwaitTask.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroTimer>
#include <QFile>

namespace {

// Records the order in which windows are shown.
class ShowRecorder : public QObject {
public:
    QList<QObject*> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            shown.append(watched);
        return false;
    }
};

// Hands every picked window back as one tall image.
class ImageRoad final : public ScrollTargetRoad {
public:
    Target resolveTarget(const PickedWindow& picked) override { return Target::window(picked, QStringLiteral("x")); }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        visibleDuringCapture = watched && watched->isVisible();
        QImage image(300, 2000, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::darkCyan);
        co_return CapturedScreenshot::make(image, CaptureKind::scrolling);
    }
    QPointer<QWidget> watched;
    bool visibleDuringCapture = true;
};

QString logText()
{
    QFile file(DebugLog::filePath());
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestScrollCaptureFlow : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> settings, editor1, editor2, minimised, hiddenPin;
    ShowRecorder recorder;
    bool introProceeds = true;
    bool screenRecording = true;
    bool accessibility = true;
    int accessibilityAsked = 0;
    int engineRuns = 0;
    std::function<std::optional<CapturedScreenshot>()> engine;
    QList<std::pair<QSize, CaptureKind>> stored;
    bool storedIncomplete = false;
    bool windowsBackWhenStored = false;
    QStringList toasts;
    bool done = false;
    bool hiddenDuringEngine = false;

    std::unique_ptr<ScrollCaptureFlow> makeFlow()
    {
        ScrollCaptureFlow::Steps steps;
        steps.contentWindows = [this] {
            return QList<QWidget*>{settings.get(), nullptr, editor1.get(), minimised.get(), editor2.get(), hiddenPin.get()};
        };
        steps.showIntro = [this](std::function<void()> proceed, std::function<void()> cancel) {
            QVERIFY(!settings->isVisible()); // gone before the card shows
            recorder.shown.clear();
            if (introProceeds) {
                proceed();
            } else {
                cancel();
                done = true;
            }
        };
        steps.ensureScreenRecordingPermission = [this]() -> QCoro::Task<bool> {
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
            if (!screenRecording)
                done = true;
            co_return screenRecording;
        };
        steps.ensureAccessibilityPermission = [this] {
            ++accessibilityAsked;
            if (!accessibility)
                done = true;
            return accessibility;
        };
        steps.runEngine = [this]() -> QCoro::Task<std::optional<CapturedScreenshot>> {
            ++engineRuns;
            hiddenDuringEngine = !settings->isVisible() && !editor1->isVisible();
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
            done = true;
            co_return engine();
        };
        steps.handleCaptured = [this](const CapturedScreenshot& captured) {
            stored.append({captured.image.size(), captured.kind});
            storedIncomplete = captured.incomplete;
            windowsBackWhenStored = settings->isVisible() && editor1->isVisible() && editor2->isVisible();
        };
        steps.showToast = [this](const QString& text, const QString& symbol, bool sticky, double duration) {
            toasts.append(QStringLiteral("%1|%2|%3|%4").arg(text, symbol).arg(sticky).arg(duration));
        };
        return std::make_unique<ScrollCaptureFlow>(steps);
    }

    void runFlow()
    {
        auto flow = makeFlow();
        flow->captureScrollingWindow();
        QTRY_VERIFY(done);
        QTest::qWait(10);
    }

    // Every open window back, in hiding order; the minimised and the hidden one untouched.
    void checkRestored()
    {
        QVERIFY(settings->isVisible() && editor1->isVisible() && editor2->isVisible());
        QCOMPARE(recorder.shown, (QList<QObject*>{settings.get(), editor1.get(), editor2.get()}));
        QVERIFY(!hiddenPin->isVisible());
    }

private Q_SLOTS:
    void init()
    {
        DebugLog::restart();
        for (auto* w : {&settings, &editor1, &editor2, &minimised, &hiddenPin})
            *w = std::make_unique<QWidget>();
        settings->show();
        editor1->show();
        editor2->show();
        minimised->showMinimized();
        // (A minimised window gets its own late show event; it is never hidden.)
        for (QWidget* w : {settings.get(), editor1.get(), editor2.get(), hiddenPin.get()})
            w->installEventFilter(&recorder);
        recorder.shown.clear();
        introProceeds = screenRecording = accessibility = true;
        accessibilityAsked = engineRuns = 0;
        engine = [] {
            return CapturedScreenshot::make(QImage(1440, 30000, QImage::Format_ARGB32_Premultiplied), CaptureKind::scrolling);
        };
        stored.clear();
        toasts.clear();
        windowsBackWhenStored = false;
        done = false;
    }

    void successStoresAScrollingCaptureAfterTheWindowsAreBack()
    {
        runFlow();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().first, QSize(1440, 30000));
        QCOMPARE(stored.first().second, CaptureKind::scrolling);
        QVERIFY(windowsBackWhenStored);
        QVERIFY(hiddenDuringEngine);
        checkRestored();
        const QString log = logText();
        QVERIFY(log.contains(QStringLiteral("CAPTURE captureScrollingWindow() (Scroll-Aufnahme) gestartet\n")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE Scroll fertig: 1440x30000\n")));
        QVERIFY(toasts.isEmpty());
        QVERIFY(!storedIncomplete);

        // An image that may lack content goes the same way, marked as such.
        init();
        engine = [] { return CapturedScreenshot::make(QImage(300, 900, QImage::Format_RGB32), CaptureKind::scrolling, true); };
        runFlow();
        QCOMPARE(stored.size(), 1);
        QVERIFY(storedIncomplete);
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll fertig (unvollständig): 300x900\n")));
    }

    void engineErrorBecomesAToastAndStoresNothing()
    {
        engine = []() -> std::optional<CapturedScreenshot> {
            throw CaptureError(QStringLiteral("Fenster konnte keiner App zugeordnet werden."));
        };
        runFlow();
        QCOMPARE(toasts, QStringList{QStringLiteral(
                             "Fenster konnte keiner App zugeordnet werden.|exclamationmark.triangle.fill|0|1.6")});
        QVERIFY(stored.isEmpty());
        checkRestored();
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll-Fehler: Fenster konnte keiner App zugeordnet werden.\n")));
    }

    void everyOtherOutcomeRestoresOnce()
    {
        // Picker cancelled.
        engine = [] { return std::optional<CapturedScreenshot>(); };
        runFlow();
        checkRestored();
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll: abgebrochen\n")));

        // Intro card cancelled: nothing else runs.
        init();
        introProceeds = false;
        runFlow();
        checkRestored();
        QCOMPARE(engineRuns, 0);
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll ABBRUCH: Anleitung abgebrochen (Esc)\n")));

        // No screen recording: accessibility is not even asked.
        init();
        screenRecording = false;
        runFlow();
        checkRestored();
        QCOMPARE(accessibilityAsked, 0);
        QCOMPARE(engineRuns, 0);
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll ABBRUCH: keine Bildschirmaufnahme\n")));

        // No accessibility.
        init();
        accessibility = false;
        runFlow();
        checkRestored();
        QCOMPARE(engineRuns, 0);
        QVERIFY(logText().contains(QStringLiteral("CAPTURE Scroll ABBRUCH: keine Bedienungshilfen\n")));
        QVERIFY(stored.isEmpty() && toasts.isEmpty());
    }

    void coordinatorKeepsTheScrollingCaptureInTheHistory()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentuHideScrollIntro"), true);
        services.scrollPicker = []() -> QCoro::Task<std::optional<PickedWindow>> {
            co_return PickedWindow{77, QRectF(0, 0, 300, 400), 5, std::nullopt};
        };
        auto road = std::make_shared<ImageRoad>();
        services.scrollRoad = road;
        AppCoordinator coordinator(services);
        coordinator.permissions().refresh();
        coordinator.openSettings();
        QWidget* window = coordinator.settingsWindow();
        QVERIFY(window && window->isVisible());
        road->watched = window;
        coordinator.captureScrollingWindow();
        QTRY_COMPARE(coordinator.screenshotStore().items().size(), 1);
        QCOMPARE(coordinator.screenshotStore().items().first().captureKind, CaptureKind::scrolling);
        QCOMPARE(coordinator.screenshotStore().items().first().height, 2000);
        QVERIFY(!road->visibleDuringCapture);
        QVERIFY(window->isVisible());
    }

    void restoreShowsWindowsWithoutActivatingThem()
    {
        const auto restore = ScrollCaptureFlow::hideOwnContentWindows({settings.get(), minimised.get()});
        QVERIFY(!settings->isVisible());
        QVERIFY(minimised->isVisible()); // a minimised window is left alone
        settings->setAttribute(Qt::WA_ShowWithoutActivating, false);
        restore();
        QVERIFY(settings->isVisible());
        QVERIFY(!settings->testAttribute(Qt::WA_ShowWithoutActivating)); // attribute put back
        // A window closed meanwhile is skipped.
        const auto again = ScrollCaptureFlow::hideOwnContentWindows({editor1.get()});
        editor1.reset();
        again();
    }
};

ZENTU_TEST_MAIN(TestScrollCaptureFlow)
#include "tst_scrollcaptureflow.moc"
