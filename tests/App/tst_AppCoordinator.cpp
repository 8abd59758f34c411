// The coordinator against fake services: start-up over an earlier version's
// data folder and quitting, the reinstall check, the first-run check and
// finishing the first run, the window registry's single windows, activation
// policy and retitling.
#include "App/AppCoordinator.h"
#include "App/AppWindows.h"
#include "App/AppDelegate.h"
#include "App/FirstRun.h"
#include "App/PermissionGuards.h"
#include "Clipboard/ClipboardMonitor.h"
#include "Localization/Localizer.h"
#include "Permissions/PermissionManager.h"
#include "Platform/SettingsKeys.h"
#include "Debug/DebugLog.h"
#include "Storage/Storage.h"
#include "Storage/ClipboardHistoryStore.h"
#include "fakes/FakeAppPlatform.h"
#include "fakes/FakeWindowContents.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QWidget>

namespace {

std::unique_ptr<QWidget> editorWindow() { return std::make_unique<QWidget>(); }

constexpr QFileDevice::Permissions groupAndOthers(0x0077);

void writeOpenToAll(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
    f.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6444)));
}

// Turns every close request down.
struct RefuseClose : QObject {
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() != QEvent::Close)
            return false;
        e->ignore();
        return true;
    }
};

using Policy = ActivationPolicy::Policy;

} // namespace

class TestAppCoordinator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QDir(testFolders().baseDirectory()).removeRecursively(); }

    void launchOverAnEarlierVersionsFolder_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("folder of an earlier version") << QStringLiteral("Zentu.it");
        QTest::newRow("legacy folder, renamed") << QStringLiteral("Zentu");
    }
    // A folder and history files open to every local user become private,
    // and what the settings and the stores report while loading (unreadable
    // records, a history file kept aside) follows "App gestartet" in the log.
    // The services start, a request left pending by a relaunch is issued
    // once, and quitting stops them.
    void launchOverAnEarlierVersionsFolder()
    {
        QFETCH(QString, folder);
        const QString old = QFileInfo(testFolders().baseDirectory()).path() + "/" + folder;
        QVERIFY(QDir().mkpath(old));
        QVERIFY(QFile::setPermissions(old, QFileDevice::Permissions(0x7055)));
        writeOpenToAll(old + "/clipboard.json", R"([
 {"id":"00000000-0000-0000-0000-00000000000A","createdAt":"2026-01-01T10:00:00Z","type":"text","text":"Kontonummer","preview":"Kontonummer","isFavorite":false,"contentHash":"x"},
 {"id":"00000000-0000-0000-0000-00000000000B","createdAt":"2026-01-01T09:00:00Z","type":"file","preview":"?","isFavorite":false,"contentHash":"y"}])");
        writeOpenToAll(old + "/screenshots.json", "kein JSON");
        writeOpenToAll(old + "/debug.log", "[00:00:00.000] früherer Lauf\n");

        FakeAppPlatform services;
        services.defaults.values.insert(QStringLiteral("zentu.settings.v1"), QByteArray("{kaputt"));
        services.defaults.setValue(QString::fromLatin1(SettingsKeys::pendingScreenRecordingRequest), true);
        AppDelegate delegate(services.platform(), services);
        delegate.applicationDidFinishLaunching();
        AppCoordinator& coordinator = delegate.coordinator();
        QCOMPARE(coordinator.environment().clipboardStore->items().size(), 1);
        coordinator.environment().clipboardStore->waitForPendingWrites();

        const QString base = testFolders().baseDirectory();
        const QStringList privateFiles = QDir(base).entryList({"*.json*"}, QDir::Files) << QString(); // and the folder
        for (const QString& name : privateFiles)
            QVERIFY2(!(QFile::permissions(base + "/" + name) & groupAndOthers), qPrintable(name));
        QCOMPARE(QDir(base).entryList({"clipboard.json.unreadable-*", "screenshots.json.unreadable-*"}).size(), 2);

        // The header, the launch line, then what loading reported.
        const QStringList lines = debugLogLines();
        QCOMPARE(lines.mid(0, 2), (QStringList{QString(), QStringLiteral("App gestartet")}));
        const QString log = lines.join('\n');
        QVERIFY(!log.contains("früherer Lauf"));
        for (const char* line : {"SETTINGS: gespeicherte Einstellungen nicht lesbar",
                                 "ClipboardHistory: Eintrag 2 von 2 in clipboard.json nicht lesbar, übersprungen",
                                 "ClipboardHistory: Original von clipboard.json beiseitegelegt als",
                                 "ScreenshotHistory: screenshots.json nicht lesbar, beiseitegelegt als"})
            QVERIFY2(log.contains(QString::fromUtf8(line)), line);

        QCOMPARE(services.globalHotkeys.active.size(), 8);
        QVERIFY(coordinator.clipboardMonitor().isRunning());
        QCOMPARE(services.activation.current, Policy::accessory);
        QVERIFY(!services.defaults.boolValue(SettingsKeys::pendingScreenRecordingRequest));
        QTRY_VERIFY(debugLogMessages().contains(QStringLiteral("PERM Startup-Request: SCK vorab = true")));
        delegate.applicationWillTerminate();
        QVERIFY(services.globalHotkeys.active.isEmpty());
        QVERIFY(!coordinator.clipboardMonitor().isRunning());
    }

    void launchGoesOnWhenTheLogCannotBeWritten()
    {
        // A plain file where the storage folder should be: no folder, no log.
        QDir().mkpath(QFileInfo(testFolders().baseDirectory()).absolutePath());
        QVERIFY(QFile(testFolders().baseDirectory()).open(QIODevice::WriteOnly));
        FakeAppPlatform services;
        AppDelegate delegate(services.platform(), services);
        delegate.applicationDidFinishLaunching();
        QVERIFY(delegate.coordinator().clipboardMonitor().isRunning());
        QVERIFY(services.defaults.value(QStringLiteral("zentuInstallStamp")).isValid());
        QFile::remove(testFolders().baseDirectory());
    }

    void reinstallReenablesIntroCardsOncePerBuild()
    {
        FakeAppPlatform services;
        services.defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        const auto startWithCardsHidden = [&] {
            services.defaults.setValue(QStringLiteral("zentuHideCaptureIntro"), true);
            services.defaults.setValue(QStringLiteral("zentuHideScrollIntro"), true);
            AppCoordinator(services.platform(), services).start();
            return !services.defaults.value(QStringLiteral("zentuHideCaptureIntro")).isValid()
                && !services.defaults.value(QStringLiteral("zentuHideScrollIntro")).isValid();
        };
        // Lines an earlier test's unwritable log kept back land with the first
        // line written: counted from here on.
        DebugLog::write(QStringLiteral("reinstallReenablesIntroCardsOncePerBuild"));
        const qsizetype earlier = debugLogMessages().size();
        const auto logged = [earlier](const QString& stamp) {
            return debugLogMessages()
                .mid(earlier)
                .filter(QStringLiteral("Neue Installation erkannt (stamp %1) — Intro-Karten wieder aktiviert").arg(stamp))
                .size();
        };
        QVERIFY(startWithCardsHidden());
        QCOMPARE(services.defaults.value(QStringLiteral("zentuInstallStamp")).toString(), QStringLiteral("1700000000"));
        QVERIFY(!startWithCardsHidden()); // same build: the user's choice stays
        QCOMPARE(logged(QStringLiteral("1700000000")), 1);
        services.bundleInfo.modified = 1700000999; // a replaced program file
        QVERIFY(startWithCardsHidden());
        // Without time or version the stamp "?" counts once, then matches.
        services.bundleInfo.modified.reset();
        services.bundleInfo.info.clear();
        QVERIFY(startWithCardsHidden());
        QVERIFY(!startWithCardsHidden());
        QCOMPARE(logged(QStringLiteral("?")), 1);
    }

    void firstRunIsDoneOnlyOnceBothPermissionsAreThere()
    {
        FakeAppPlatform services;
        services.capturePermissions.trusted = false;
        AppCoordinator coordinator(services.platform(), services);
        // OK with a permission missing: closed, asked again next start.
        coordinator.openOnboarding();
        QPointer<QWidget> window = coordinator.onboardingWindow();
        coordinator.finishOnboarding();
        QTRY_VERIFY(window.isNull());
        QVERIFY(!services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));
        // Granted meanwhile: OK marks the first run done.
        coordinator.openOnboarding();
        services.capturePermissions.trusted = true;
        coordinator.environment().permissions->refresh();
        coordinator.finishOnboarding();
        QCOMPARE(coordinator.onboardingWindow(), nullptr);
        QVERIFY(services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")));
    }

    // 1.2 s after the start, a missing permission opens the first-run
    // window; with both granted the first run is marked done, no window.
    void theStartUpCheckOpensTheFirstRunWindowOnlyWhilePermissionsAreMissing()
    {
        for (const bool trusted : {false, true}) {
            FakeAppPlatform services;
            services.capturePermissions.trusted = trusted;
            AppCoordinator coordinator(services.platform(), services);
            QSignalSpy checked(&coordinator, &AppCoordinator::onboardingChecked);
            coordinator.start();
            QVERIFY(checked.wait(10 * FirstRun::checkDelayMs));
            QCOMPARE(coordinator.onboardingWindow() != nullptr, !trusted);
            QCOMPARE(services.defaults.boolValue(QStringLiteral("zentu.onboarding.completed")), trusted);
        }
    }

    void settingsAndClipboardWindowsAreSingle()
    {
        FakeAppPlatform services;
        FakeWindowContents contents;
        int built = 0;
        contents.settings = [&](const AppEnvironment&) -> QWidget* {
            ++built;
            return new QWidget;
        };
        AppCoordinator coordinator(services.platform(), services, &contents);
        coordinator.openSettings();
        QPointer<QWidget> settings = coordinator.settingsWindow();
        coordinator.openSettings(); // brought forward, not built again
        QCOMPARE(built, 1);
        settings->close();
        QTRY_VERIFY(settings.isNull()); // dropped after its close
        coordinator.openSettings();
        QCOMPARE(built, 2);

        // The clipboard hotkey toggles its window; a merely hidden one comes back.
        coordinator.showClipboardHistory();
        QPointer<QWidget> clipboard = coordinator.clipboardPanel();
        QVERIFY(clipboard && clipboard->isVisible());
        coordinator.showClipboardHistory();
        QTRY_VERIFY(clipboard.isNull());
        coordinator.showClipboardHistory();
        clipboard = coordinator.clipboardPanel();
        clipboard->hide();
        coordinator.showClipboardHistory();
        QCOMPARE(coordinator.clipboardPanel(), clipboard.data());
        QVERIFY(clipboard->isVisible());
        // It joins every workspace each time it shows; left on another one
        // (a window manager that would not keep it on all), the hotkey brings
        // it where the user looks instead of closing what is not seen.
        const quint64 id = clipboard->winId();
        QCOMPARE(services.desktops.shown.count(id), 2);
        services.desktops.elsewhere.insert(id);
        coordinator.showClipboardHistory();
        QVERIFY(clipboard && clipboard->isVisible());
        QCOMPARE(services.desktops.shown.count(id), 3);
        coordinator.showClipboardHistory();
        QTRY_VERIFY(clipboard.isNull());
    }

    void activationPolicyFollowsEditorAndSettingsWindows()
    {
        FakeAppPlatform services;
        AppCoordinator coordinator(services.platform(), services);
        coordinator.start();
        // Clipboard and first-run windows do not count.
        coordinator.showClipboardHistory();
        coordinator.openOnboarding();
        QCOMPARE(services.activation.current, Policy::accessory);
        coordinator.adoptEditorWindow(editorWindow());
        QCOMPARE(services.activation.current, Policy::regular);
        // An editor is on every workspace; the settings stay where they opened.
        QVERIFY(services.desktops.shown.contains(coordinator.editorWindows().front()->winId()));
        coordinator.openSettings();
        QVERIFY(!services.desktops.shown.contains(coordinator.settingsWindow()->winId()));

        // Closing the last editor while the settings are open keeps it regular;
        // what the editor freed goes back to the system once it is gone.
        coordinator.editorWindows().front()->close();
        QCOMPARE(services.activation.current, Policy::regular);
        QCOMPARE(services.heap->trims, 0);
        QTRY_COMPARE_WITH_TIMEOUT(services.heap->trims, 1, 2 * AppWindows::trimDelayMs);
        coordinator.settingsWindow()->close();
        QCOMPARE(services.activation.current, Policy::accessory);

        // A refused close, then a plain hide, keep the window and the policy.
        coordinator.adoptEditorWindow(editorWindow());
        QWidget* editor = coordinator.editorWindows().front().get();
        RefuseClose refuse;
        editor->installEventFilter(&refuse);
        editor->close();
        editor->hide();
        QCOMPARE(coordinator.editorWindows().size(), size_t(1));
        QCOMPARE(services.activation.current, Policy::regular);
        editor->removeEventFilter(&refuse);
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

        FakeAppPlatform services;
        AppCoordinator coordinator(services.platform(), services);
        coordinator.start();
        coordinator.openSettings();
        coordinator.showClipboardHistory();
        coordinator.openOnboarding();
        coordinator.adoptEditorWindow(editorWindow());

        localizer->setLanguage(QStringLiteral("en"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QCOMPARE(coordinator.settingsWindow()->windowTitle(), QStringLiteral("Zentu.it Settings"));
        QCOMPARE(coordinator.clipboardPanel()->windowTitle(), QStringLiteral("Clipboard history"));
        QCOMPARE(coordinator.editorWindows().front()->windowTitle(), QStringLiteral("Zentu.it Editor EN"));
        QCOMPARE(coordinator.onboardingWindow()->windowTitle(), QStringLiteral("Set up Zentu.it"));
    }
};

ZENTU_TEST_MAIN(TestAppCoordinator)
#include "tst_AppCoordinator.moc"
