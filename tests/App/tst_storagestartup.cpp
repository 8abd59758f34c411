// The start of the app over a data folder left by an earlier version: a
// folder and history files open to every local user become private, and what
// the settings and the stores report while loading (unreadable records, a
// history file kept aside) is in the debug log the user reads.
#include "App/AppCoordinator.h"
#include "App/AppDelegate.h"
#include "Storage/DebugLog.h"
#include "Storage/ClipboardHistoryStore.h"
#include "Storage/ScreenshotHistoryStore.h"
#include "Storage/Storage.h"
#include "fakes/FakeCoordinatorServices.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>

namespace {
constexpr QFileDevice::Permissions everyone(0x0444);
constexpr QFileDevice::Permissions groupAndOthers(0x0077);

void write(const QString& path, const QByteArray& content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | everyone));
}
}

class tst_StorageStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void openFolderBecomesPrivateAndLoadMessagesReachTheLog_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("folder of an earlier version") << QStringLiteral("Zentu.it");
        QTest::newRow("legacy folder, renamed") << QStringLiteral("Zentu");
    }
    void openFolderBecomesPrivateAndLoadMessagesReachTheLog()
    {
        QFETCH(QString, folder);
        const QString parent = QFileInfo(testFolders().baseDirectory()).path();
        QDir(testFolders().baseDirectory()).removeRecursively();
        const QString old = parent + "/" + folder;
        QVERIFY(QDir().mkpath(old));
        QVERIFY(QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                               | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                               | QFileDevice::ReadOther | QFileDevice::ExeOther));
        write(old + "/clipboard.json", R"([
 {"id":"00000000-0000-0000-0000-00000000000A","createdAt":"2026-01-01T10:00:00Z","type":"text","text":"Kontonummer","preview":"Kontonummer","isFavorite":false,"contentHash":"x"},
 {"id":"00000000-0000-0000-0000-00000000000B","createdAt":"2026-01-01T09:00:00Z","type":"file","preview":"?","isFavorite":false,"contentHash":"y"}])");
        write(old + "/screenshots.json", "kein JSON");
        write(old + "/debug.log", "[00:00:00.000] früherer Lauf\n");

        FakeCoordinatorServices services;
        services.defaults.values.insert(QStringLiteral("zentu.settings.v1"), QByteArray("{kaputt"));
        AppDelegate delegate(services);
        delegate.applicationDidFinishLaunching();
        AppCoordinator& coordinator = delegate.coordinator();
        QCOMPARE(coordinator.clipboardStore().items().size(), 1);
        coordinator.clipboardStore().waitForPendingWrites();

        const QString base = testFolders().baseDirectory();
        QCOMPARE(QFile::permissions(base) & groupAndOthers, QFileDevice::Permissions());
        for (const QString& name : QDir(base).entryList(QDir::Files))
            if (name.contains(".json"))
                QVERIFY2((QFile::permissions(base + "/" + name) & groupAndOthers) == QFileDevice::Permissions(),
                         qPrintable(name));
        QCOMPARE(QDir(base).entryList({"clipboard.json.unreadable-*"}).size(), 1);
        QCOMPARE(QDir(base).entryList({"screenshots.json.unreadable-*"}).size(), 1);

        // The header, the launch line, then what loading reported.
        const QStringList lines = debugLogLines();
        QCOMPARE(lines.value(0), QString());
        QCOMPARE(lines.value(1), QStringLiteral("App gestartet"));
        const QString log = lines.join('\n');
        QVERIFY(!log.contains("früherer Lauf"));
        QVERIFY2(log.contains("SETTINGS: gespeicherte Einstellungen nicht lesbar"), qPrintable(log));
        QVERIFY(log.contains("ClipboardHistory: Eintrag 2 von 2 in clipboard.json nicht lesbar, übersprungen"));
        QVERIFY(log.contains("ClipboardHistory: Original von clipboard.json beiseitegelegt als"));
        QVERIFY(log.contains("ScreenshotHistory: screenshots.json nicht lesbar, beiseitegelegt als"));
    }
};

ZENTU_TEST_MAIN(tst_StorageStartup)
#include "tst_storagestartup.moc"
