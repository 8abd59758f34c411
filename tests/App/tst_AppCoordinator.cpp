// Start-up order, launch steps, reinstall check, window bookkeeping and the
// activation policy of the coordinator, against fake services.
#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "App/FirstRun.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Permissions/PermissionManager.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/DebugLog.h"
#include "Localization/Localizer.h"
#include "Storage/Storage.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QWidget>

namespace {

QStringList logLines()
{
    QFile file(DebugLog::filePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int countLines(const QString& needle)
{
    int n = 0;
    for (const QString& line : logLines())
        n += line.contains(needle) ? 1 : 0;
    return n;
}

std::unique_ptr<QWidget> editorWindow()
{
    auto w = std::make_unique<QWidget>();
    w->resize(300, 200);
    return w;
}

} // namespace

class TestAppCoordinator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QDir(testFolders().baseDirectory()).removeRecursively();
    }

    void buildsServicesInOrder()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        QCOMPARE(services.calls,
                 (QStringList{QStringLiteral("makeSettingsManager"), QStringLiteral("makePermissionManager"),
                              QStringLiteral("makeHotkeyManager"), QStringLiteral("makeScreenshotService"), QStringLiteral("makeToastPresenter"), QStringLiteral("makeUpdater"), QStringLiteral("ensureDirectories"),
                              QStringLiteral("makeClipboardHistoryStore"), QStringLiteral("makeScreenshotHistoryStore"),
                              QStringLiteral("makeClipboardMonitor")}));
        // Between construction and start nothing polls the clipboard and no
        // policy is set yet.
        QVERIFY(services.activation.history.isEmpty());
        QVERIFY(!coordinator.clipboardMonitor().isRunning());
        QVERIFY(!coordinator.screenshotService().isCapturing());
        QCOMPARE(coordinator.screenshotService().overlayController(), nullptr);
        QVERIFY(coordinator.permissions().pollTimer()->isActive());
        QVERIFY(QDir(testFolders().screenshotsDirectory()).exists());
        QVERIFY(coordinator.clipboardStore().onInternalWrite);
        const AppEnvironment env = coordinator.environment();
        QCOMPARE(env.coordinator, &coordinator);
        QCOMPARE(env.settings, &coordinator.settings());
        QCOMPARE(env.clipboardStore, &coordinator.clipboardStore());
        QCOMPARE(env.screenshotStore, &coordinator.screenshotStore());
        QCOMPARE(env.permissions, &coordinator.permissions());
    }

    void startRefreshesPermissionsAndStartsTheMonitor()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        AppCoordinator coordinator(services);
        const int preflights = services.capturePermissions.preflightCalls;
        coordinator.start();
        QCOMPARE(services.capturePermissions.preflightCalls, preflights + 1);
        QVERIFY(coordinator.clipboardMonitor().isRunning());
        QVERIFY(!coordinator.isOnboardingCheckPending()); // first run done: nothing scheduled
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::accessory);
    }

    void theStoresOwnCopyIsNotRecordedAgain()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        ClipboardMonitor& monitor = coordinator.clipboardMonitor();
        ClipboardHistoryStore& store = coordinator.clipboardStore();
        services.clipboardService.copyText(QStringLiteral("erster"));
        monitor.poll();
        services.clipboardService.copyText(QStringLiteral("zweiter"));
        monitor.poll();
        QCOMPARE(store.items().size(), 2);
        const ClipboardItem older = store.items().at(1);
        store.copyToPasteboard(older);
        QCOMPARE(monitor.lastChangeCount(), services.clipboardService.changeCount());
        monitor.poll();
        QCOMPARE(store.items().size(), 2);
        QCOMPARE(services.clipboardService.string(), std::optional<QString>(QStringLiteral("erster")));
    }

    void quittingStopsTheClipboardPoll()
    {
        FakeCoordinatorServices services;
        AppDelegate delegate(services);
        delegate.applicationDidFinishLaunching();
        QVERIFY(delegate.coordinator().clipboardMonitor().isRunning());
        delegate.applicationWillTerminate();
        QVERIFY(!delegate.coordinator().clipboardMonitor().isRunning());
    }

    void launchRunsItsStepsInOrderAndRestartsTheLog()
    {
        testFolders().ensureDirectories();
        QFile old(DebugLog::filePath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[00:00:00.000] von einem früheren Lauf\n");
        old.close();

        FakeCoordinatorServices services;
        AppDelegate delegate(services);
        services.calls.clear();
        delegate.applicationDidFinishLaunching();

        // accessory first, then the folders, then the coordinator's own policy step.
        QCOMPARE(services.calls, (QStringList{QStringLiteral("setPolicy:accessory"), QStringLiteral("ensureDirectories"),
                                              QStringLiteral("setPolicy:accessory")}));
        const QStringList lines = logLines();
        QVERIFY(lines.size() >= 3);
        QCOMPARE(lines.at(0), QStringLiteral("=== Zentu Debug-Log ==="));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] App gestartet$"))
                     .match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
        // What loading reported comes next, then the coordinator's start.
        const auto start = std::find_if(lines.begin() + 2, lines.end(), [](const QString& line) {
            return line.endsWith(QStringLiteral("] Neue Installation erkannt (stamp 1700000000) — Intro-Karten wieder aktiviert"));
        });
        QVERIFY(start != lines.end());
        QVERIFY(std::none_of(lines.begin() + 2, start, [](const QString& l) { return l.contains("App gestartet"); }));
        QCOMPARE(countLines(QStringLiteral("früheren Lauf")), 0);
        QFile raw(DebugLog::filePath());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().startsWith("=== Zentu Debug-Log ===\n["));
    }

    void launchGoesOnWhenTheLogCannotBeWritten()
    {
        // A plain file where the storage folder should be: no folder, no log.
        QDir().mkpath(QFileInfo(testFolders().baseDirectory()).absolutePath());
        QFile blocker(testFolders().baseDirectory());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        FakeCoordinatorServices services;
        AppDelegate delegate(services);
        delegate.applicationDidFinishLaunching();
        // The coordinator still started: reinstall check and policy step ran.
        QCOMPARE(services.activation.history, (QStringList{QStringLiteral("accessory"), QStringLiteral("accessory")}));
        QVERIFY(services.defaults.value(QStringLiteral("zentuInstallStamp")).isValid());
        QFile::remove(testFolders().baseDirectory());
    }

    void installStampFallsBackToVersionThenQuestionMark()
    {
        QCOMPARE(FirstRun::installStamp(1712345678, QStringLiteral("1.0")), QStringLiteral("1712345678"));
        QCOMPARE(FirstRun::installStamp(std::nullopt, QStringLiteral("1.0")), QStringLiteral("1.0"));
        QCOMPARE(FirstRun::installStamp(std::nullopt, QString()), QStringLiteral("?"));
    }

    void reinstallReenablesIntroCardsOncePerBuild()
    {
        FakeCoordinatorServices services;
        services.defaults.setValue(QStringLiteral("zentuHideCaptureIntro"), true);
        services.defaults.setValue(QStringLiteral("zentuHideScrollIntro"), true);
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        const QString line = QStringLiteral("Neue Installation erkannt (stamp 1700000000) — Intro-Karten wieder aktiviert");
        {
            AppCoordinator first(services);
            first.start();
        }
        QVERIFY(!services.defaults.value(QStringLiteral("zentuHideCaptureIntro")).isValid());
        QVERIFY(!services.defaults.value(QStringLiteral("zentuHideScrollIntro")).isValid());
        QCOMPARE(services.defaults.value(QStringLiteral("zentuInstallStamp")).toString(), QStringLiteral("1700000000"));
        QCOMPARE(countLines(line), 1);

        // Same build again: the user's choice to hide the cards stays.
        services.defaults.setValue(QStringLiteral("zentuHideCaptureIntro"), true);
        {
            AppCoordinator second(services);
            second.start();
        }
        QCOMPARE(countLines(line), 1);
        QVERIFY(services.defaults.boolValue(QStringLiteral("zentuHideCaptureIntro")));

        // A replaced program file (new modification time) shows them again.
        services.identity.modified = 1700000999;
        {
            AppCoordinator third(services);
            third.start();
        }
        QVERIFY(!services.defaults.value(QStringLiteral("zentuHideCaptureIntro")).isValid());
        QCOMPARE(countLines(QStringLiteral("(stamp 1700000999)")), 1);

        // Without time or version the stamp "?" counts once, then matches.
        services.identity.modified.reset();
        services.identity.version.clear();
        for (int i = 0; i < 2; ++i) {
            AppCoordinator coordinator(services);
            coordinator.start();
        }
        QCOMPARE(countLines(QStringLiteral("(stamp ?)")), 1);
    }

    void onboardingCheckMarksTheFirstRunDoneWhenBothPermissionsAreThere()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        QSignalSpy checked(&coordinator, &AppCoordinator::onboardingChecked);
        QElapsedTimer clock;
        clock.start();
        coordinator.start();
        QVERIFY(coordinator.isOnboardingCheckPending());
        QVERIFY(checked.wait(5000));
        QVERIFY2(clock.elapsed() >= FirstRun::checkDelayMs - 20, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));
        QCOMPARE(coordinator.onboardingWindow(), nullptr);
    }

    void onboardingOpensTheFirstRunWindowWhileAPermissionIsMissing()
    {
        FakeCoordinatorServices services;
        services.capturePermissions.trusted = false;
        AppCoordinator coordinator(services);
        QSignalSpy checked(&coordinator, &AppCoordinator::onboardingChecked);
        coordinator.start();
        QVERIFY(checked.wait(5000));
        QVERIFY(coordinator.onboardingWindow() && coordinator.onboardingWindow()->isVisible());
        QCOMPARE(coordinator.onboardingWindow()->windowTitle(), QStringLiteral("Zentu.it einrichten"));
        QVERIFY(!services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));

        // OK with the permission still missing: closed, asked again next start.
        QPointer<QWidget> window = coordinator.onboardingWindow();
        coordinator.finishOnboarding();
        QCOMPARE(coordinator.onboardingWindow(), nullptr);
        QTRY_VERIFY(window.isNull());
        QVERIFY(!services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));

        // Granted meanwhile: OK marks the first run done.
        coordinator.openOnboarding();
        services.capturePermissions.trusted = true;
        coordinator.permissions().refresh();
        coordinator.finishOnboarding();
        QCOMPARE(coordinator.onboardingWindow(), nullptr);
        QVERIFY(services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));
    }

    void activationPolicyFollowsEditorAndSettingsWindows()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        coordinator.start();
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::accessory);

        // Clipboard and first-run windows do not count.
        coordinator.showClipboardHistory();
        coordinator.openOnboarding();
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::accessory);

        coordinator.adoptEditorWindow(editorWindow());
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::regular);
        coordinator.openSettings();
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::regular);
        QVERIFY(countLines(QStringLiteral("openEditor: policy=0 active=")) == 1);

        // Closing the last editor while the settings are open keeps it regular.
        coordinator.editorWindows().front()->close();
        QVERIFY(coordinator.editorWindows().empty());
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::regular);
        coordinator.settingsWindow()->close();
        QCOMPARE(coordinator.settingsWindow(), nullptr);
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::accessory);

        // A refused close keeps the window and the policy.
        coordinator.adoptEditorWindow(editorWindow());
        QWidget* editor = coordinator.editorWindows().front().get();
        class Refuse : public QObject {
        public:
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Close) {
                    e->ignore();
                    return true;
                }
                return false;
            }
        } refuse;
        editor->installEventFilter(&refuse);
        editor->close();
        QCoreApplication::processEvents();
        editor->removeEventFilter(&refuse);
        editor->hide(); // hidden, not closed: still kept
        QCOMPARE(coordinator.editorWindows().size(), size_t(1));
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::regular);
    }

    void settingsWindowIsBuiltOnceAndNeverReused()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        int built = 0;
        AppCoordinator* seen = nullptr;
        coordinator.setSettingsViewFactory([&](const AppEnvironment& env) -> QWidget* {
            ++built;
            seen = env.coordinator;
            return new QWidget;
        });
        coordinator.openSettings();
        QPointer<QWidget> first = coordinator.settingsWindow();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("Zentu.it Einstellungen"));
        QCOMPARE(first->size(), QSize(640, 850));
        QCOMPARE(first->minimumSize(), first->maximumSize()); // not resizable
        coordinator.openSettings();
        QCOMPARE(coordinator.settingsWindow(), first.data());
        QCOMPARE(built, 1);
        QCOMPARE(seen, &coordinator);

        first->close();
        QTRY_VERIFY(first.isNull()); // dropped after its close
        coordinator.openSettings();
        QVERIFY(coordinator.settingsWindow());
        QCOMPARE(built, 2);
    }

    void clipboardHotkeyTogglesTheWindow()
    {
        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        coordinator.showClipboardHistory();
        QPointer<QWidget> first = coordinator.clipboardPanel();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("Zwischenablage-Verlauf"));
        QCOMPARE(first->size(), QSize(380, 520));
        QVERIFY(first->windowFlags() & Qt::WindowStaysOnTopHint);

        coordinator.showClipboardHistory(); // second press closes it
        QCOMPARE(coordinator.clipboardPanel(), nullptr);
        QTRY_VERIFY(first.isNull());

        coordinator.showClipboardHistory(); // third press builds a new one
        QPointer<QWidget> third = coordinator.clipboardPanel();
        QVERIFY(third && third->isVisible());

        // Merely hidden (ordered out): the same window comes back.
        third->hide();
        coordinator.showClipboardHistory();
        QCOMPARE(coordinator.clipboardPanel(), third.data());
        QVERIFY(third->isVisible());
    }

    void languageChangeRetitlesOpenWindows()
    {
        QTemporaryFile table;
        QVERIFY(table.open());
        table.write(R"({"en": {"Zentu.it Einstellungen": "Zentu.it Settings",
                               "Zwischenablage-Verlauf": "Clipboard history",
                               "Zentu.it Editor": "Zentu.it Editor EN",
                               "Zentu.it einrichten": "Set up Zentu.it"}})");
        table.close();
        FakeUserDefaults localizerDefaults;
        auto localizer = std::make_shared<Localizer>(localizerDefaults, [] { return QStringList{QStringLiteral("de")}; },
                                                     table.fileName());
        const Localizer::Scope installed(localizer);

        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        coordinator.start();
        coordinator.openSettings();
        coordinator.showClipboardHistory();
        coordinator.openOnboarding();
        coordinator.adoptEditorWindow(editorWindow());

        localizer->setLanguage(QStringLiteral("en"));
        QCOMPARE(coordinator.settingsWindow()->windowTitle(), QStringLiteral("Zentu.it Settings"));
        QCOMPARE(coordinator.clipboardPanel()->windowTitle(), QStringLiteral("Clipboard history"));
        QCOMPARE(coordinator.editorWindows().front()->windowTitle(), QStringLiteral("Zentu.it Editor EN"));
        QCOMPARE(coordinator.onboardingWindow()->windowTitle(), QStringLiteral("Set up Zentu.it"));
    }

    void firstRunWindowFollowsItsContentHeight()
    {
        const QRect content(100, 200, 460, 520);
        const QMargins frame(1, 20, 1, 1);
        const QRect visible(0, 0, 1920, 1050);
        // Within one pixel: unchanged.
        QVERIFY(!FirstRun::windowGeometry(content, frame, 520.4, visible));
        QVERIFY(!FirstRun::windowGeometry(content, frame, 521.0, visible));
        // Two pixels taller: resized, top edge kept.
        QCOMPARE(FirstRun::windowGeometry(content, frame, 521.2, visible), QRect(100, 200, 460, 522));
        // Grown past the bottom of the visible area: moved up until the bottoms meet.
        QCOMPARE(FirstRun::windowGeometry(content, frame, 900, visible), QRect(100, 1050 - 1 - 900, 460, 900));
        // Taller than the screen: the bottom wins (the last clamp).
        const std::optional<QRect> huge = FirstRun::windowGeometry(content, frame, 2000, visible);
        QCOMPARE(huge->bottom() + frame.bottom(), visible.bottom());
        // Above the visible top: moved down.
        QCOMPARE(FirstRun::windowGeometry(QRect(100, 5, 460, 520), frame, 600, visible),
                 QRect(100, 20, 460, 600));
        // Without a screen: unclamped.
        QCOMPARE(FirstRun::windowGeometry(content, frame, 2000, std::nullopt), QRect(100, 200, 460, 2000));

        FakeCoordinatorServices services;
        AppCoordinator coordinator(services);
        std::function<void(double)> reportHeight;
        coordinator.setOnboardingViewFactory([&](const AppEnvironment&, std::function<void()>, std::function<void(double)> h) -> QWidget* {
            reportHeight = h;
            return new QWidget;
        });
        coordinator.openOnboarding();
        QWidget* window = coordinator.onboardingWindow();
        QCOMPARE(window->size(), QSize(460, 520));
        const int top = window->geometry().top();
        reportHeight(430.3);
        QTRY_COMPARE(window->height(), 431);
        QCOMPARE(window->geometry().top(), top);
    }

    void quittingClosesEditorsThroughTheirClosePath()
    {
        FakeCoordinatorServices services;
        AppDelegate delegate(services);
        delegate.applicationDidFinishLaunching();
        delegate.coordinator().adoptEditorWindow(editorWindow());
        delegate.coordinator().adoptEditorWindow(editorWindow());
        int closes = 0;
        class CloseCounter : public QObject {
        public:
            int* n;
            explicit CloseCounter(int* c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Close)
                    ++*n;
                return false;
            }
        } counter(&closes);
        for (const auto& w : delegate.coordinator().editorWindows())
            w->installEventFilter(&counter);
        delegate.applicationWillTerminate();
        QCOMPARE(closes, 2);
        QVERIFY(delegate.coordinator().editorWindows().empty());
        QCOMPARE(services.activation.current, ActivationPolicy::Policy::accessory);
    }
};

ZENTU_TEST_MAIN(TestAppCoordinator)
#include "tst_AppCoordinator.moc"
