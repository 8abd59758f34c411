#include "Platform/Qt/PosixFileCalls.h"
#include "Platform/Paths.h"
#include "Debug/DebugLog.h"
#include "support/DebugLogMessages.h"
#include "support/IsolatedEnvironment.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QRegularExpression>

namespace {
const QString stamp = QStringLiteral(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] )");

// Folders below one other data folder.
struct OtherPaths final : Paths {
    explicit OtherPaths(QString dir) : dir(std::move(dir)) {}
    QString homeDirectory() const override { return dir; }
    QString applicationSupportDirectory() const override { return dir; }
    QString picturesDirectory() const override { return dir; }
    QString temporaryDirectory() const override { return dir; }
    bool moveToTrash(const QString&) override { return false; }
    QString dir;
};
}

class TestDebugLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QDir(testFolders().baseDirectory()).removeRecursively(); }

    void appendsAndRecreatesTheFolder()
    {
        DebugLog::write("CAPTURE eins");
        QVERIFY(QRegularExpression("^" + stamp + "CAPTURE eins\n$").match(debugLogText()).hasMatch());
        QVERIFY(plantFile(DebugLog::filePath(), "ohne Zeilenende"));
        DebugLog::write("x");
        QVERIFY(debugLogText().startsWith("ohne Zeilenende["));
        QDir(testFolders().baseDirectory()).removeRecursively();
        DebugLog::write("Ü");
        QVERIFY(QFile::exists(testFolders().screenshotsDirectory()));
        QVERIFY(debugLogText().endsWith("] Ü\n"));
    }

    void restartThenAppend()
    {
        // What an earlier run left goes aside; what this run logged while
        // the launch kept entries comes once, where the launch asks for it.
        QVERIFY(plantFile(DebugLog::filePath(), "[10:00:00.000] voriger Lauf\n"));
        DebugLog::write("nicht behalten");
        DebugLog::keepEntriesForLaunch();
        DebugLog::write("vor dem Neustart");
        DebugLog::restart();
        DebugLog::write("App gestartet");
        DebugLog::writeEarlierEntries();
        DebugLog::write("");
        DebugLog::write("zwei\nZeilen");
        DebugLog::writeEarlierEntries();
        const QString text = debugLogText();
        QVERIFY2(QRegularExpression("^=== Zentu Debug-Log ===\n" + stamp + "App gestartet\n" + stamp
                                    + "vor dem Neustart\n" + stamp + "\n" + stamp + "zwei\nZeilen\n$")
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
        // The earlier run's log is kept beside it, as it was.
        const QString earlier = QString::fromUtf8(fileContents(DebugLog::filePath() + ".1"));
        QVERIFY2(earlier.startsWith("[10:00:00.000] voriger Lauf\n") && earlier.contains("nicht behalten")
                     && !earlier.contains("vor dem Neustart"),
                 qPrintable(earlier));
    }

    void aLaterLogWritesUntilItEnds()
    {
        const QString own = DebugLog::filePath();
        QTemporaryDir other;
        {
            DebugLog::File later(AppFolders(std::make_shared<OtherPaths>(other.path()), std::make_shared<PosixFileCalls>()).debugLog());
            DebugLog::write("anderswo");
            QCOMPARE(DebugLog::filePath(), other.path() + "/Zentu.it/debug.log");
        }
        // Back to the program's own; nothing points at the ended one.
        DebugLog::write("wieder hier");
        QCOMPARE(DebugLog::filePath(), own);
        QCOMPARE(debugLogMessages(), QStringList{"wieder hier"});
        QVERIFY(fileContents(other.path() + "/Zentu.it/debug.log").endsWith("] anderswo\n"));
    }
};

ZENTU_TEST_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
