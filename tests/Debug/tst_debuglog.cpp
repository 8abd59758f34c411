#include "Storage/DebugLog.h"
#include "Storage/Storage.h"
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {
QByteArray logText()
{
    QFile f(DebugLog::filePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
const QString stamp = QStringLiteral(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] )");
}

class TestDebugLog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QDir(testFolders().baseDirectory()).removeRecursively(); }

    void firstEntryCreatesFileWithoutHeader()
    {
        DebugLog::write("CAPTURE eins");
        QVERIFY(QRegularExpression("^" + stamp + "CAPTURE eins\n$").match(QString::fromUtf8(logText())).hasMatch());
    }

    void restartThenAppend()
    {
        // What an earlier run left goes; what this run logged while the
        // launch kept entries comes back once, where the launch asks for it.
        testFolders().ensureDirectories();
        QFile old(DebugLog::filePath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[10:00:00.000] voriger Lauf\n");
        old.close();
        DebugLog::write("nicht behalten");
        DebugLog::keepEntriesForLaunch();
        DebugLog::write("vor dem Neustart");
        DebugLog::restart();
        DebugLog::write("App gestartet");
        DebugLog::writeEarlierEntries();
        DebugLog::write("");
        DebugLog::write("zwei\nZeilen");
        DebugLog::writeEarlierEntries();
        const QString text = QString::fromUtf8(logText());
        QVERIFY2(QRegularExpression("^=== Zentu Debug-Log ===\n" + stamp + "App gestartet\n" + stamp
                                    + "vor dem Neustart\n" + stamp + "\n" + stamp + "zwei\nZeilen\n$")
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
        QVERIFY(!text.contains("voriger Lauf"));
    }

    void appendsAfterLastByte()
    {
        testFolders().ensureDirectories();
        QFile f(DebugLog::filePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("ohne Zeilenende");
        f.close();
        DebugLog::write("x");
        QVERIFY(logText().startsWith("ohne Zeilenende["));
    }

    void recreatesRemovedFolders()
    {
        DebugLog::write("a");
        QDir(testFolders().baseDirectory()).removeRecursively();
        DebugLog::write("Ü");
        QVERIFY(QFile::exists(testFolders().screenshotsDirectory()));
        QVERIFY(logText().endsWith("] \xC3\x9C\n"));
    }
};

ZENTU_TEST_MAIN(TestDebugLog)
#include "tst_debuglog.moc"
