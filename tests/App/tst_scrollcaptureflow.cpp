// The shell's scrolling-capture road with a fake engine: whatever the outcome
// (intro cancelled, a permission missing, picker cancelled, engine error,
// success, an image that may lack content) the program's windows step aside
// and come back in order, exactly once, before the result is stored; an
// engine error becomes a toast and stores nothing.
#include "App/ScrollCaptureFlow.h"
#include "App/ScrollCaptureSteps.h"
#include "Toasts/Announcer.h"
#include "Screenshot/CaptureError.h"
#include "Debug/DebugLog.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QCoroTimer>

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

enum class Engine { picture, incomplete, cancelled, error };

} // namespace

class TestScrollCaptureFlow : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> settings, editor1, editor2, minimised, hiddenPin;
    ShowRecorder recorder;

    void showWindows()
    {
        for (auto* w : {&settings, &editor1, &editor2, &minimised, &hiddenPin})
            *w = std::make_unique<QWidget>();
        for (QWidget* w : {settings.get(), editor1.get(), editor2.get()})
            w->show();
        minimised->showMinimized();
        // (A minimised window gets its own late show event; it is never hidden.)
        for (QWidget* w : {settings.get(), editor1.get(), editor2.get(), hiddenPin.get()})
            w->installEventFilter(&recorder);
        recorder.shown.clear();
    }

private Q_SLOTS:
    void everyOutcomeBringsTheWindowsBackOnce_data()
    {
        QTest::addColumn<QString>("refused"); // the step that ends the road early
        QTest::addColumn<int>("engine");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("stored") << QString() << int(Engine::picture) << "CAPTURE Scroll fertig: 1440x3000";
        QTest::newRow("incomplete") << QString() << int(Engine::incomplete)
                                    << "CAPTURE Scroll fertig (unvollständig): 1440x3000";
        QTest::newRow("picker cancelled") << QString() << int(Engine::cancelled) << "CAPTURE Scroll: abgebrochen";
        QTest::newRow("engine error") << QString() << int(Engine::error)
                                      << "CAPTURE Scroll-Fehler: Fenster konnte keiner App zugeordnet werden.";
        QTest::newRow("intro cancelled") << "intro" << 0 << "CAPTURE Scroll ABBRUCH: Anleitung abgebrochen (Esc)";
        QTest::newRow("no screen recording") << "screen" << 0 << "CAPTURE Scroll ABBRUCH: keine Bildschirmaufnahme";
        QTest::newRow("no accessibility") << "access" << 0 << "CAPTURE Scroll ABBRUCH: keine Bedienungshilfen";
    }
    void everyOutcomeBringsTheWindowsBackOnce()
    {
        QFETCH(QString, refused);
        QFETCH(int, engine);
        QFETCH(QString, logLine);
        DebugLog::restart();
        showWindows();
        int accessibilityAsked = 0, engineRuns = 0;
        bool hiddenDuringEngine = false, done = false, windowsBackWhenStored = false;
        QList<CapturedScreenshot> stored;

        struct Steps final : ScrollCaptureSteps, Announcer {
            std::function<QList<QWidget*>()> windows;
            std::function<void(std::function<void()>, std::function<void()>)> intro;
            std::function<QCoro::Task<bool>()> screen;
            std::function<bool()> access;
            std::function<QCoro::Task<std::optional<CapturedScreenshot>>()> engine;
            std::function<void(const CapturedScreenshot&)> captured;
            QStringList toasts;

            QList<QWidget*> contentWindows() override { return windows(); }
            void showIntro(std::function<void()> proceed, std::function<void()> cancel) override
            {
                intro(std::move(proceed), std::move(cancel));
            }
            void whenScreenRepainted(std::function<void()> action) override { action(); }
            QCoro::Task<bool> ensureScreenRecordingPermission() override { return screen(); }
            bool ensureAccessibilityPermission() override { return access(); }
            QCoro::Task<std::optional<CapturedScreenshot>> runEngine() override { return engine(); }
            void handleCaptured(const CapturedScreenshot& shot) override { captured(shot); }
            void show(const QString& text, const QString& symbol, bool sticky, double duration) override
            {
                toasts.append(QStringLiteral("%1|%2|%3|%4").arg(text, symbol).arg(sticky).arg(duration));
            }
            void dismiss() override {}
            void hideNow() override {}
        } steps;
        steps.windows = [this] {
            return QList<QWidget*>{settings.get(), nullptr, editor1.get(), minimised.get(), editor2.get(), hiddenPin.get()};
        };
        steps.intro = [&](std::function<void()> proceed, std::function<void()> cancel) {
            QVERIFY(!settings->isVisible()); // gone before the card shows
            done = refused == QLatin1String("intro");
            done ? cancel() : proceed();
        };
        steps.screen = [&]() -> QCoro::Task<bool> {
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
            done = refused == QLatin1String("screen");
            co_return !done;
        };
        steps.access = [&] {
            ++accessibilityAsked;
            done = refused == QLatin1String("access");
            return !done;
        };
        steps.engine = [&]() -> QCoro::Task<std::optional<CapturedScreenshot>> {
            ++engineRuns;
            hiddenDuringEngine = !settings->isVisible() && !editor1->isVisible();
            co_await QCoro::sleepFor(std::chrono::milliseconds(5));
            done = true;
            if (Engine(engine) == Engine::error)
                throw CaptureError(QStringLiteral("Fenster konnte keiner App zugeordnet werden."));
            if (Engine(engine) == Engine::cancelled)
                co_return std::nullopt;
            co_return CapturedScreenshot::make(QImage(1440, 3000, QImage::Format_RGB32), CaptureKind::scrolling,
                                               Engine(engine) == Engine::incomplete);
        };
        steps.captured = [&](const CapturedScreenshot& captured) {
            stored.append(captured);
            windowsBackWhenStored = settings->isVisible() && editor1->isVisible() && editor2->isVisible();
        };
        ScrollCaptureFlow flow(steps, steps);
        flow.captureScrollingWindow();
        QTRY_VERIFY(done);
        QTest::qWait(10);

        // Every open window back, in hiding order; the minimised and the hidden one untouched.
        QVERIFY(settings->isVisible() && editor1->isVisible() && editor2->isVisible());
        QCOMPARE(recorder.shown, (QList<QObject*>{settings.get(), editor1.get(), editor2.get()}));
        QVERIFY(!hiddenPin->isVisible());
        QVERIFY2(debugLogMessages().contains(logLine), qPrintable(debugLogMessages().join('\n')));
        QCOMPARE(engineRuns, refused.isEmpty() ? 1 : 0);
        QCOMPARE(accessibilityAsked, int(refused.isEmpty() || refused == QLatin1String("access")));
        QCOMPARE(hiddenDuringEngine, refused.isEmpty());

        const bool picture = refused.isEmpty() && (Engine(engine) == Engine::picture || Engine(engine) == Engine::incomplete);
        QCOMPARE(stored.size(), int(picture));
        if (picture) {
            QCOMPARE(stored.first().kind, CaptureKind::scrolling);
            QCOMPARE(stored.first().incomplete, Engine(engine) == Engine::incomplete);
            QVERIFY(windowsBackWhenStored);
        }
        const bool failed = refused.isEmpty() && Engine(engine) == Engine::error;
        QCOMPARE(steps.toasts, failed ? QStringList{QStringLiteral("Fenster konnte keiner App zugeordnet werden.|"
                                                             "exclamationmark.triangle.fill|0|1.6")}
                                : QStringList{});
    }

    void restoreShowsWindowsWithoutActivatingThem()
    {
        showWindows();
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
