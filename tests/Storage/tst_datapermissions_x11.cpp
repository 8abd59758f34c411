// The real program run as an ordinary user (nobody; the test is root, which
// no permission would stop) on a data folder where files and folders belong
// to another user. History files it may not read are left where they are:
// nothing is set aside, no thumbnail is swept as an orphan, and once they
// belong to the user again, what was recorded meanwhile joins them. A
// pictures folder or a data folder it may not write: captures and copies are
// kept in memory, said once, and written once it may write again. A lock it
// cannot make is reported as such, not as "already running".
#include "support/ClipboardOwners.h"
#include "support/HistoryOnDisk.h"
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <memory>
#include <unistd.h>

namespace {
constexpr uint nobody = 65534;
}

class TestDataPermissionsX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    ClipboardOwners m_owners;
    HistoryWatch m_history{m_real.dataFolder()};

    QString base() const { return m_real.dataFolder(); }
    // Every record that was on disk still is, and all agree with their pictures.
    void verify(const QSet<QString>& before, const QString& step)
    {
        const QString problem = m_history.check(before);
        QVERIFY2(problem.isEmpty(), qPrintable(step + ": " + problem));
    }
    static bool own(const QString& path, uint uid)
    {
        return QProcess::execute(QStringLiteral("chown"), {QStringLiteral("%1:%1").arg(uid), path}) == 0;
    }
    void copy(const QString& text) { m_owners.copy(text); }
    // The full-screen hotkey, done once the capture is on disk.
    bool takeCapture(qsizetype stored)
    {
        return pressHotkey("15") && QTest::qWaitFor([&] { return m_history.count("screenshots.json") == stored + 1; }, 15000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        QVERIFY(m_real.useFreshFolders());
        m_real.runAs(nobody, nobody);
        QVERIFY(startQuietly(m_real, m_app));
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(takeCapture(i - 1));
            copy(QStringLiteral("Kopie %1").arg(i));
            QTRY_COMPARE_WITH_TIMEOUT(m_history.count("clipboard.json"), i, 15000);
        }
        stopQuietly(m_app);
    }
    void cleanupTestCase()
    {
        stopQuietly(m_app);
        qInfo("permissions: %d records lost, %d records not agreeing with their pictures", m_history.lost, m_history.wrong);
    }

    void historiesOfAnotherOwnerAreLeftAlone()
    {
        const QSet<QString> before = m_history.ids();
        QCOMPARE(before.size(), 6);
        const QStringList thumbnails = QDir(base() + "/Thumbnails").entryList(QDir::Files);
        for (const char* name : {"/screenshots.json", "/clipboard.json"}) {
            QVERIFY(own(base() + name, 0));
            QVERIFY(QFile::setPermissions(base() + name, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        }
        const QByteArray shots = fileContents(base() + "/screenshots.json");
        QVERIFY(startQuietly(m_real, m_app));
        QVERIFY(m_real.debugLog().contains(QStringLiteral("screenshots.json nicht lesbar")));
        QTRY_COMPARE_WITH_TIMEOUT(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet: Verlauf nicht lesbar")), 1, 10000);
        // Recorded meanwhile: only in memory, the files untouched.
        QVERIFY(pressHotkey("15"));
        copy(QStringLiteral("Kopie 4"));
        QTRY_COMPARE_WITH_TIMEOUT(QDir(base() + "/Screenshots").entryList(QDir::Files).size(), 4, 15000);
        QCOMPARE(fileContents(base() + "/screenshots.json"), shots);
        QVERIFY(QDir(base()).entryList({"*.unreadable-*"}).isEmpty());
        QCOMPARE(QDir(base() + "/Thumbnails").entryList(QDir::Files).size(), thumbnails.size() + 1);
        // The files are the user's again: read at the next retry, joined.
        for (const char* name : {"/screenshots.json", "/clipboard.json"})
            QVERIFY(own(base() + name, nobody));
        QTRY_COMPARE_WITH_TIMEOUT(m_history.count("screenshots.json"), 4, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(m_history.count("clipboard.json"), 4, 15000);
        verify(before, QStringLiteral("history files of another owner"));
        QCOMPARE(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet")), 1);
    }

    void aPicturesFolderItMayNotWrite()
    {
        const QSet<QString> before = m_history.ids();
        const int told = m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet"));
        const QString pictures = base() + "/Screenshots";
        QVERIFY(own(pictures, 0));
        QVERIFY(QFile::setPermissions(pictures, QFileDevice::Permissions(0x7755)));
        QVERIFY(pressHotkey("15"));
        // Announced as not stored, and why.
        QTRY_VERIFY_WITH_TIMEOUT(m_real.debugLog().contains(QStringLiteral(
                                     "CAPTURE nicht gespeichert, gemeldet: Kopiert, aber nicht gespeichert – Datenordner nicht beschreibbar")),
                                 15000);
        verify(before, QStringLiteral("pictures folder not writable"));
        QCOMPARE(m_history.count("screenshots.json"), 4);
        QVERIFY(own(pictures, nobody));
        QTRY_VERIFY_WITH_TIMEOUT(m_history.count("screenshots.json") >= 5, 30000);
        verify(before, QStringLiteral("pictures folder writable again"));
        QTRY_VERIFY_WITH_TIMEOUT(m_history.logged(QStringLiteral("STORAGE alles gesichert")) > 0, 15000);
        QCOMPARE(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet")) - told, 1);
        stopQuietly(m_app);
    }

    void aDataFolderItMayNotWrite()
    {
        const QSet<QString> before = m_history.ids();
        QVERIFY(own(base(), 0));
        QVERIFY(QFile::setPermissions(base(), QFileDevice::Permissions(0x7755)));
        QVERIFY(startQuietly(m_real, m_app));
        const int told = m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet: Datenordner nicht beschreibbar"));
        copy(QStringLiteral("Kopie 5"));
        QTRY_COMPARE_WITH_TIMEOUT(m_history.logged(QStringLiteral("STORAGE dem Benutzer gemeldet: Datenordner nicht beschreibbar")), told + 1, 15000);
        verify(before, QStringLiteral("data folder not writable"));
        QVERIFY(own(base(), nobody));
        QTRY_COMPARE_WITH_TIMEOUT(m_history.count("clipboard.json"), 5, 30000);
        verify(before, QStringLiteral("data folder writable again"));
        stopQuietly(m_app);
    }

    // After su the runtime folder belongs to the other user: no lock can be
    // made there, and the program says so instead of "already running".
    void aLockThatCannotBeMadeIsReported()
    {
        const QString runtime = m_real.root() + "/runtime";
        QVERIFY(own(runtime, 0));
        QProcess app;
        m_real.start(app, QProcess::SeparateChannels);
        QVERIFY(app.waitForFinished(15000));
        QCOMPARE(app.exitCode(), 1);
        const QString said = QString::fromUtf8(app.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("Sperrdatei")) && !said.contains(QStringLiteral("läuft bereits")), qPrintable(said));
        QVERIFY(own(runtime, nobody));
    }
};

ZENTU_TEST_MAIN(TestDataPermissionsX11)
#include "tst_datapermissions_x11.moc"
