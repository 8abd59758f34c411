// The capture roads from request to stored result: against recording services the
// end of every capture per setting, the permission veto, hiding our own
// windows before the grab and the countdown on a hand-driven clock; through
// the coordinator on fake services the scrolling road with its intro card.
// And the automatic copy of a capture, whose PNG is made off the main thread:
// it lands with PNG data that decodes to the picture and reports the change
// count it made; a later copy, or another program's content, that came first
// is never overwritten by an earlier picture finishing late.
#include "App/AppCoordinator.h"
#include "App/CaptureFlows.h"
#include "App/CaptureStage.h"
#include "App/DeferredImageCopy.h"
#include "Toasts/ToastPresenter.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "Screenshot/CaptureSource.h"
#include "Screenshot/ScrollTargetRoad.h"
#include "Screenshot/TimestampStamper.h"
#include "Storage/SettingsManager.h"
#include "Debug/DebugLog.h"
#include "Storage/ImageOps.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Toasts/Announcer.h"
#include "Ui/DelayScheduler.h"
#include "fakes/FakeClipboardService.h"
#include "Permissions/PermissionManager.h"
#include "fakes/FakeAppPlatform.h"
#include "fakes/FakeRepaintWatch.h"
#include "support/DebugLogMessages.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"

#include <QApplication>
#include <QSignalSpy>
#include <QWidget>

namespace {

QDateTime rigClock = QDateTime::currentDateTime();

// Stands for every service the capture roads reach and notes each step; the
// clock and the delays move by hand.
struct Rig final : CaptureStage, CaptureSource, CaptureDestinations, Announcer, DelayScheduler {
    FakeUserDefaults defaults;
    FakeLoginItemService login;
    FakeKeyboardInfo keyboard;
    SettingsManager settings{defaults, login, keyboard};
    FakeUserDefaults introDefaults;
    CaptureIntroPresenter intro{introDefaults, nullptr, {[] { return QRect(0, 0, 800, 600); }, nullptr}};

    QStringList journal;
    bool permitted = true;
    QList<std::function<void()>> scheduled; // the hand-driven clock
    QList<int> delays;
    bool transientUiShown = false;
    bool toastShown = false; // a toast of the previous capture
    FakeRepaintWatch* repaint = nullptr; // where our hidden windows' area is watched
    const QRegion hiddenArea{QRect(100, 100, 340, 500)};
    QDateTime& clock = rigClock;
    QList<QImage> copied, stored;
    bool copyHeld = true; // false: another program's newer copy won
    int storeError = 0;   // the store's picture write fails with this error
    QList<QByteArray> copiedPng, storedPng;
    int announcedProblems = 0;
    std::unique_ptr<CaptureFlows> flows;

    Rig()
    {
        clock = QDateTime::currentDateTime();
        flows = std::make_unique<CaptureFlows>(settings, *this, *this, intro, *this, *this, *this,
                                               [] { return rigClock; });
        DebugLog::restart();
    }
    void tick()
    {
        for (const auto& work : std::exchange(scheduled, {}))
            work();
    }

    bool ensureScreenRecordingPermission() override
    {
        journal << "permission";
        return permitted;
    }
    bool dismissTransientUi() override
    {
        return std::exchange(transientUiShown, false) && !(journal << "hideTransientUi").isEmpty();
    }
    std::optional<bool> transientUiRepainted() override
    {
        return repaint ? std::optional((hiddenArea - repaint->drawnSinceRestart()).isEmpty()) : std::nullopt;
    }
    void beginInteractiveCapture(bool detect, Intro, Completion) override
    {
        journal << QStringLiteral("beginInteractive detect=%1").arg(detect);
    }
    void captureFullScreenImmediately(bool cursor, Completion) override
    {
        journal << QStringLiteral("fullScreen cursor=%1").arg(cursor);
    }
    void copyToClipboard(const QImage& img, PngData png, std::function<void(bool)> done) override
    {
        journal << "copy";
        copied << img;
        copiedPng << png.result().value_or(QByteArray());
        done(copyHeld);
    }
    void store(const QImage& img, PngData png, CaptureKind kind, bool edit,
               std::function<void(const FileWriteOutcome&)> done) override
    {
        journal << QStringLiteral("store %1 edit=%2").arg(rawValue(kind)).arg(edit);
        stored << img;
        storedPng << png.result().value_or(QByteArray());
        done({storeError, storeError ? QStringLiteral("schreiben") : QString(), QStringLiteral("/x.png")});
    }
    void storageProblemAnnounced() override { ++announcedProblems; }
    void show(const QString& text, const QString& symbol, bool sticky, double seconds) override
    {
        journal << QStringLiteral("toast %1|%2|%3|%4").arg(text, symbol).arg(sticky).arg(seconds);
    }
    void dismiss() override { journal << "dismiss"; }
    void hideNow() override
    {
        if (std::exchange(toastShown, false))
            journal << "hideToast";
    }
    Token schedule(int ms, std::function<void()> work) override
    {
        delays << ms;
        scheduled << std::move(work);
        return Token(scheduled.size());
    }
    void cancel(Token) override {}
};

// Hands every picked window back as one tall picture, noting whether the
// watched window was on screen meanwhile.
class TallRoad final : public ScrollTargetRoad {
public:
    Target resolveTarget(const PickedWindow& picked) override { return Target::window(picked, QStringLiteral("x")); }
    QCoro::Task<std::optional<CapturedScreenshot>> captureTarget(Target) override
    {
        watchedVisible = watched && watched->isVisible();
        co_return CapturedScreenshot::make(filledImage(200, 1500, Qt::darkGreen), CaptureKind::scrolling);
    }
    QPointer<QWidget> watched;
    bool watchedVisible = true;
};

QImage picture(QColor colour, QSize size = {1600, 900})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    // Not a flat fill, so the PNG really is this picture.
    for (int y = 0; y < size.height(); y += 7)
        for (int x = (y * 3) % 11; x < size.width(); x += 11)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 40));
    return image;
}

// Writes at once, as the monitor does when nothing is waiting to be read.
void writeNow(DeferredImageCopy::Write write, std::function<void(const ClipboardWrite&)> done) { done(write()); }

} // namespace

class TestCaptureFlows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void theEndOfACaptureFollowsTheSettings_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<CaptureKind>("kind");
        QTest::addColumn<bool>("incomplete");
        QTest::addColumn<bool>("copyHeld");
        QTest::addColumn<int>("storeError");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("stamp, copy, edit") << true << CaptureKind::window << false << true << 0
            << QStringList{"copy", "store window edit=1",
                           "toast In Zwischenablage kopiert|checkmark.circle.fill|0|1.6"};
        QTest::newRow("all off") << false << CaptureKind::fullScreen << false << true << 0
            << QStringList{"store fullScreen edit=0", "toast Screenshot aufgenommen|checkmark.circle.fill|0|1.6"};
        // Still copied and kept, but never announced as a plain success.
        QTest::newRow("incomplete scroll") << true << CaptureKind::scrolling << true << true << 0
            << QStringList{"copy", "store scrolling edit=1",
                           "toast Scroll-Aufnahme möglicherweise unvollständig|exclamationmark.triangle.fill|0|3"};
        // Another program copied after the capture began: its copy stays,
        // and the toast says so instead of "copied".
        QTest::newRow("copy lost") << true << CaptureKind::fullScreen << false << false << 0
            << QStringList{"copy", "store fullScreen edit=1",
                           "toast Screenshot aufgenommen – nicht kopiert, Zwischenablage inzwischen neu "
                           "belegt|exclamationmark.triangle.fill|0|3"};
        // Not on disk: never announced as stored, and why is said.
        QTest::newRow("disk full") << true << CaptureKind::area << false << true << ENOSPC
            << QStringList{"copy", "store area edit=1",
                           "toast Kopiert, aber nicht gespeichert – Speicherplatz voll|exclamationmark.triangle.fill|0|4"};
        QTest::newRow("folder closed") << false << CaptureKind::area << false << true << EACCES
            << QStringList{"store area edit=0",
                           "toast Nicht gespeichert – Datenordner nicht beschreibbar|exclamationmark.triangle.fill|0|4"};
    }
    void theEndOfACaptureFollowsTheSettings()
    {
        QFETCH(bool, on);
        QFETCH(CaptureKind, kind);
        QFETCH(bool, incomplete);
        QFETCH(bool, copyHeld);
        QFETCH(int, storeError);
        QFETCH(QStringList, steps);
        Rig rig;
        rig.copyHeld = copyHeld;
        rig.storeError = storeError;
        rig.settings.update([on](AppSettings& s) {
            s.stampTimestamp = s.autoCopyToPasteboard = s.openEditorAfterCapture = on;
        });
        const QImage picture = filledImage(400, 300, Qt::red);
        rig.flows->handleCaptured(CapturedScreenshot{picture, kind, incomplete});
        QCOMPARE(rig.journal, steps);
        // Every later step got the picture stamped with the time of the clock.
        QCOMPARE(rig.stored.value(0), on ? TimestampStamper::stamp(picture, rigClock) : picture);
        QVERIFY((rig.stored.value(0) != picture) == on);
        if (on)
            QCOMPARE(rig.stored.value(0), rig.copied.value(0));
        // One PNG for clipboard and history.
        if (on)
            QCOMPARE(rig.storedPng.value(0), rig.copiedPng.value(0));
        QCOMPARE(QImage::fromData(rig.storedPng.value(0)).convertToFormat(QImage::Format_RGB32), rig.stored.value(0).convertToFormat(QImage::Format_RGB32));
        QCOMPARE(rig.announcedProblems, storeError ? 1 : 0);

        rig.journal.clear();
        rig.flows->handleCaptured(std::nullopt);
        QVERIFY(rig.journal.isEmpty());
    }

    void refusedPermissionEndsEitherRoad()
    {
        Rig rig;
        rig.permitted = false;
        rig.flows->captureInteractive();
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "permission"}));
    }

    void ourTooltipsAndMenusGoBeforeTheScreenIsRead()
    {
        // Nothing of ours shown: the screen is read at once.
        Rig rig;
        rig.settings.update([](AppSettings& s) { s.showCursorInScreenshot = true; });
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "fullScreen cursor=1"}));
        QVERIFY(rig.scheduled.isEmpty());
        // The previous capture's toast goes first, without its fade.
        rig.toastShown = true;
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal.mid(2), (QStringList{"permission", "hideToast", "fullScreen cursor=1"}));

        // Shown when a road starts: hidden, then a moment for the windows
        // beneath to repaint, then the screen is read.
        rig.settings.update([](AppSettings& s) { s.showCursorInScreenshot = false; });
        rig.transientUiShown = true;
        rig.flows->captureInteractive();
        QTRY_COMPARE(rig.journal.last(), QStringLiteral("hideTransientUi"));
        QCOMPARE(rig.delays, QList<int>{CaptureFlows::transientUiSettleMs});
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("beginInteractive detect=1"));

        // After a countdown the countdown toast and anything that came up
        // meanwhile go right before the grab.
        rig.settings.update([](AppSettings& s) { s.captureDelaySeconds = 1; });
        rig.flows->captureFullScreen();
        QTRY_VERIFY(!rig.scheduled.isEmpty());
        rig.transientUiShown = true;
        rig.tick();
        QCOMPARE(rig.journal.mid(rig.journal.size() - 2), (QStringList{"dismiss", "hideTransientUi"}));
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("fullScreen cursor=0"));
    }

    void waitsUntilTheScreenBeneathIsRepainted()
    {
        // Repainted already: read at once. Never repainted: read at the bound.
        Rig rig;
        FakeRepaintWatch watch;
        rig.repaint = &watch;
        watch.draw(rig.hiddenArea.boundingRect());
        rig.transientUiShown = true;
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "hideTransientUi", "fullScreen cursor=0"}));
        QVERIFY(rig.delays.isEmpty());

        watch.restart();
        watch.draw(QRect(100, 100, 340, 499));
        rig.transientUiShown = true;
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal.size(), 5);
        rig.clock = rig.clock.addMSecs(CaptureFlows::transientUiRepaintBoundMs - 1);
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("hideTransientUi"));
        rig.clock = rig.clock.addMSecs(1);
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("fullScreen cursor=0"));
    }

    void countdown_data()
    {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("start");
        QTest::newRow("3") << 3 << 3;
        QTest::newRow("45 counts from 30") << 45 << 30;
    }
    void countdown()
    {
        QFETCH(int, delay);
        QFETCH(int, start);
        Rig rig;
        rig.settings.update([delay](AppSettings& s) { s.captureDelaySeconds = delay; });
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal.size(), 2);
        for (int shown = start; shown >= 1; --shown) {
            QCOMPARE(rig.journal.last(), QStringLiteral("toast Auslösen in %1 s|timer|1|0").arg(shown));
            rig.tick();
        }
        QCOMPARE(rig.journal.mid(rig.journal.size() - 2), (QStringList{"dismiss", "fullScreen cursor=0"}));
        QVERIFY(rig.scheduled.isEmpty());
        QCOMPARE(rig.delays, QList<int>(start, 1000));
    }

    void overlappingCountdownsBothCapture()
    {
        Rig rig;
        rig.settings.update([](AppSettings& s) { s.captureDelaySeconds = 2; });
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal.size(), 2);
        rig.tick(); // first: 1 s left
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal.last(), QStringLiteral("toast Auslösen in 2 s|timer|1|0"));
        rig.tick(); // first captures; second shows 1 again
        QCOMPARE(rig.journal.filter("fullScreen").size(), 1);
        QCOMPARE(rig.journal.last(), QStringLiteral("toast Auslösen in 1 s|timer|1|0"));
        rig.tick();
        QCOMPARE(rig.journal.filter("fullScreen").size(), 2);
    }

    void scrollingRoadShowsItsCardHidesOurWindowsAndEndsLikeEveryCapture()
    {
        FakeAppPlatform services;
        services.scrollPicker = []() -> QCoro::Task<std::optional<PickedWindow>> {
            co_return PickedWindow{77, QRectF(0, 0, 200, 300), 5, std::nullopt};
        };
        auto road = std::make_shared<TallRoad>();
        services.scrollRoad = road;
        AppCoordinator coordinator(services.platform(), services);
        coordinator.environment().permissions->refresh();
        coordinator.openSettings();
        road->watched = coordinator.settingsWindow();
        coordinator.captureScrollingWindow();
        // The scrolling capture's card, where the user sees it.
        const auto card = []() -> QWidget* {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (qobject_cast<CaptureIntroView*>(window) && window->isVisible())
                    return window;
            return nullptr;
        };
        QTRY_VERIFY(card());
        QTest::keyClick(card(), Qt::Key_Return);
        QTRY_COMPARE(coordinator.environment().screenshotStore->items().size(), 1);
        // Its PNG is made off the main thread; the picture lands on the clipboard
        // once it is, and only then is it announced as copied.
        QTRY_COMPARE(services.clipboardService.image().size(), QSize(200, 1500));
        QTRY_COMPARE(coordinator.toast().model().text(), QStringLiteral("In Zwischenablage kopiert"));
        QVERIFY(!road->watchedVisible);
        QVERIFY(road->watched && road->watched->isVisible());
    }

    void landsWithItsPngAndReportsTheCount()
    {
        FakeClipboardService clipboard;
        DeferredImageCopy copier(clipboard, writeNow);
        const QImage shot = picture(Qt::darkCyan);
        std::optional<bool> reported;
        copier.copy(shot, [&](bool copied) { reported = copied; });
        QVERIFY(copier.isPending());
        QCOMPARE(clipboard.ownWrites, 0); // not on the main thread's way
        QTRY_VERIFY(!copier.isPending());
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(reported, std::optional<bool>(true));
        QCOMPARE(clipboard.image(), shot);
        const QImage decoded = QImage::fromData(clipboard.formats.value(QStringLiteral("image/png")), "PNG");
        QCOMPARE(decoded.convertToFormat(QImage::Format_RGB32), shot);
    }

    void newerContentIsNeverOverwritten()
    {
        FakeClipboardService clipboard;
        DeferredImageCopy copier(clipboard, writeNow);
        QSignalSpy finished(&copier, &DeferredImageCopy::finished);

        // Two captures in a row: only the second lands, however the encodings end.
        QList<bool> reported;
        const auto note = [&](bool copied) { reported.append(copied); };
        copier.copy(picture(Qt::red), note);
        const QImage second = picture(Qt::blue);
        copier.copy(second, note);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(clipboard.image(), second);
        QCOMPARE(reported.count(true), 1); // the earlier picture, superseded, reports false

        // Another program copies while the picture is being encoded: its text stays.
        copier.copy(picture(Qt::green), note);
        clipboard.copyText(QStringLiteral("from the browser"));
        QTRY_COMPARE(finished.size(), 3);
        QCOMPARE(finished.last().first().toBool(), false);
        QCOMPARE(clipboard.string(), QStringLiteral("from the browser"));
        QCOMPARE(clipboard.ownWrites, 1);
        QCOMPARE(reported.last(), false);
    }
};

ZENTU_TEST_MAIN(TestCaptureFlows)
#include "tst_captureflows.moc"
