// The capture roads from request to stored result, against recording hooks:
// the order of the final steps and each setting's effect, the permission
// guard's veto, the intro step, and the countdown on a hand-driven clock.
#include "App/CaptureFlows.h"
#include "Storage/DebugLog.h"
#include "MenuBar/CaptureIntroPresenter.h"
#include "MenuBar/CaptureIntroView.h"
#include "Settings/SettingsManager.h"
#include "fakes/FakeKeyboardInfo.h"
#include "fakes/FakeLoginItemService.h"
#include "fakes/FakeRepaintWatch.h"
#include "fakes/FakeUserDefaults.h"
#include "support/FilledImage.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QFile>

namespace {
QImage solid(QColor c) { return filledImage(40, 30, c); }

struct Rig {
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
    FakeRepaintWatch* repaint = nullptr; // where our hidden windows' area is watched
    const QRegion hiddenArea{QRect(100, 100, 340, 500)};
    QDateTime clock = QDateTime::currentDateTime();
    CaptureFlows::IntroStep lastIntro;
    CaptureFlows::Completion lastCompletion;
    QList<QImage> copied, stored;
    std::unique_ptr<CaptureFlows> flows;

    Rig()
    {
        CaptureFlows::Hooks h;
        h.ensureScreenRecordingPermission = [this] { journal << "permission"; return permitted; };
        h.dismissTransientUi = [this] {
            if (!std::exchange(transientUiShown, false))
                return false;
            journal << "hideTransientUi";
            return true;
        };
        h.transientUiRepainted = [this]() -> std::optional<bool> {
            if (!repaint)
                return std::nullopt;
            return (hiddenArea - repaint->drawnSinceRestart()).isEmpty();
        };
        h.now = [this] { return clock; };
        h.beginInteractiveCapture = [this](bool detect, CaptureFlows::IntroStep introStep, CaptureFlows::Completion done) {
            journal << QStringLiteral("beginInteractive detect=%1").arg(detect);
            lastIntro = std::move(introStep);
            lastCompletion = std::move(done);
        };
        h.captureFullScreenImmediately = [this](bool cursor, CaptureFlows::Completion done) {
            journal << QStringLiteral("fullScreen cursor=%1").arg(cursor);
            lastCompletion = std::move(done);
        };
        h.stamp = [this](const QImage& img, const QDateTime&) {
            journal << "stamp";
            QImage out = img;
            out.setPixelColor(img.width() - 1, img.height() - 1, Qt::white);
            return out;
        };
        h.copyToPasteboard = [this](const QImage& img) { journal << "copy"; copied << img; };
        h.showToast = [this](const QString& text, const QString& symbol, bool sticky, double seconds) {
            journal << QStringLiteral("toast %1|%2|%3|%4").arg(text, symbol).arg(sticky).arg(seconds);
        };
        h.dismissToast = [this] { journal << "dismiss"; };
        h.store = [this](const QImage& img, CaptureKind kind, bool edit) {
            journal << QStringLiteral("store %1 edit=%2").arg(rawValue(kind)).arg(edit);
            stored << img;
        };
        h.after = [this](int ms, std::function<void()> work) {
            delays << ms;
            scheduled << std::move(work);
        };
        h.intro = &intro;
        flows = std::make_unique<CaptureFlows>(settings, std::move(h));
        DebugLog::restart();
    }
    void tick()
    {
        const auto due = std::exchange(scheduled, {});
        for (const auto& work : due)
            work();
    }
};
}

class TestCaptureFlows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handleCapturedRunsItsStepsInOrder()
    {
        Rig rig;
        rig.settings.update([](AppSettings& s) {
            s.stampTimestamp = true;
            s.autoCopyToPasteboard = true;
            s.openEditorAfterCapture = true;
        });
        rig.flows->handleCaptured(CapturedScreenshot{solid(Qt::red), CaptureKind::window});
        QCOMPARE(rig.journal, (QStringList{"stamp", "copy", "toast In Zwischenablage kopiert|checkmark.circle.fill|0|1.6",
                                           "store window edit=1"}));
        // Every later step got the stamped picture.
        QCOMPARE(rig.copied[0].pixelColor(39, 29), QColor(Qt::white));
        QCOMPARE(rig.stored[0], rig.copied[0]);
    }

    void settingsSwitchStepsOff()
    {
        Rig rig;
        rig.settings.update([](AppSettings& s) {
            s.stampTimestamp = false;
            s.autoCopyToPasteboard = false;
            s.openEditorAfterCapture = false;
        });
        const QImage img = solid(Qt::blue);
        rig.flows->handleCaptured(CapturedScreenshot{img, CaptureKind::fullScreen});
        QCOMPARE(rig.journal, (QStringList{"toast Screenshot aufgenommen|checkmark.circle.fill|0|1.6",
                                           "store fullScreen edit=0"}));
        QCOMPARE(rig.stored[0], img);

        rig.journal.clear();
        rig.flows->handleCaptured(std::nullopt);
        QVERIFY(rig.journal.isEmpty());
    }

    void incompleteScrollingCaptureIsNeverAnnouncedAsCopied()
    {
        Rig rig;
        rig.settings.update([](AppSettings& s) {
            s.stampTimestamp = false;
            s.autoCopyToPasteboard = true;
            s.openEditorAfterCapture = false;
        });
        rig.flows->handleCaptured(CapturedScreenshot{solid(Qt::red), CaptureKind::scrolling, true});
        // Still copied and kept, but the toast says what it is.
        QCOMPARE(rig.journal, (QStringList{"copy",
                                           "toast Scroll-Aufnahme möglicherweise unvollständig|"
                                           "exclamationmark.triangle.fill|0|3",
                                           "store scrolling edit=0"}));
    }

    void interactiveRoadWithIntroCard()
    {
        Rig rig;
        rig.flows->captureInteractive();
        QCOMPARE(debugLogMessages().value(0), QStringLiteral("CAPTURE captureInteractive() (Bereich) gestartet"));
        QVERIFY(rig.journal.isEmpty()); // the flow runs on a later turn
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "beginInteractive detect=1"}));

        // The service calls the intro step: the screenshot card is shown.
        std::optional<bool> resumed;
        rig.lastIntro([&](bool go) { resumed = go; });
        QVERIFY(rig.intro.window());
        rig.intro.window()->cancelButton()->click();
        QCOMPARE(resumed, std::optional<bool>(false));
        QVERIFY(debugLogMessages().contains(QStringLiteral("CAPTURE captureInteractive ABBRUCH: Anleitung abgebrochen (Esc)")));

        resumed.reset();
        rig.lastIntro([&](bool go) { resumed = go; });
        rig.intro.window()->proceedButton()->click();
        QCOMPARE(resumed, std::optional<bool>(true));

        // A card hidden for good goes on at once.
        rig.introDefaults.setValue("zentuHideCaptureIntro", true);
        resumed.reset();
        rig.lastIntro([&](bool go) { resumed = go; });
        QCOMPARE(resumed, std::optional<bool>(true));

        rig.lastCompletion(CapturedScreenshot{solid(Qt::green), CaptureKind::area});
        QCOMPARE(rig.journal.last(), QStringLiteral("store area edit=1"));
    }

    void refusedPermissionEndsEitherRoad()
    {
        Rig rig;
        rig.permitted = false;
        rig.flows->captureInteractive();
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "permission"}));
        const QStringList log = debugLogMessages();
        QVERIFY(log.contains(QStringLiteral("CAPTURE captureInteractive ABBRUCH: keine Berechtigung")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE captureFullScreen ABBRUCH: keine Berechtigung")));
        QVERIFY(log.contains(QStringLiteral("CAPTURE captureFullScreen() (Ganzer Bildschirm) gestartet")));
    }

    void fullScreenWithoutDelayCapturesAtOnce()
    {
        Rig rig;
        rig.settings.update([](AppSettings& s) { s.showCursorInScreenshot = true; });
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "fullScreen cursor=1"}));
        QVERIFY(rig.scheduled.isEmpty());
        rig.lastCompletion(CapturedScreenshot{solid(Qt::green), CaptureKind::fullScreen});
        QCOMPARE(rig.journal.last(), QStringLiteral("store fullScreen edit=1"));
    }

    void ourTooltipsAndMenusGoBeforeTheScreenIsRead()
    {
        // Shown when a road starts: hidden, then a moment for the windows
        // beneath to repaint, then the screen is read.
        Rig rig;
        rig.transientUiShown = true;
        rig.flows->captureFullScreen();
        QTRY_COMPARE(rig.journal, (QStringList{"permission", "hideTransientUi"}));
        QCOMPARE(rig.delays, QList<int>{CaptureFlows::transientUiSettleMs});
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("fullScreen cursor=0"));

        rig.transientUiShown = true;
        rig.flows->captureInteractive();
        QTRY_COMPARE(rig.journal.last(), QStringLiteral("hideTransientUi"));
        rig.tick();
        QCOMPARE(rig.journal.last(), QStringLiteral("beginInteractive detect=1"));

        // After a countdown, right before the grab (a tooltip may have come up meanwhile).
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
        QTest::newRow("1") << 1 << 1;
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
        QCOMPARE(rig.journal[1], QStringLiteral("toast Auslösen in %1 s|timer|1|0").arg(start));
        for (int shown = start - 1; shown >= 1; --shown) {
            rig.tick();
            QCOMPARE(rig.journal.last(), QStringLiteral("toast Auslösen in %1 s|timer|1|0").arg(shown));
        }
        QVERIFY(!rig.journal.last().startsWith("fullScreen"));
        rig.tick();
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
};

ZENTU_TEST_MAIN(TestCaptureFlows)
#include "tst_captureflows.moc"
