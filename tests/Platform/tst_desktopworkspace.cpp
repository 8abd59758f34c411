// "Show in the file manager" on a private session bus: a file manager that
// offers org.freedesktop.FileManager1 selects the file; without one the folder
// is opened; when that fails too the caller learns it.
#include "Platform/Qt/DesktopWorkspace.h"
#include "support/IsolatedEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

class TestDesktopWorkspace : public QObject {
    Q_OBJECT

    QProcess m_bus;
    QString m_address;
    QList<QUrl> m_opened;
    bool m_openerWorks = true;

    DesktopWorkspace workspace()
    {
        return DesktopWorkspace([this](const QUrl& url) {
            m_opened << url;
            return m_openerWorks;
        });
    }

    // The answer of revealFile, waited for.
    std::optional<bool> reveal(DesktopWorkspace& w, const QString& path)
    {
        auto answer = std::make_shared<std::optional<bool>>();
        w.revealFile(path, [answer](bool shown) { *answer = shown; });
        if (!QTest::qWaitFor([&] { return answer->has_value(); }, 10000))
            return std::nullopt;
        return *answer;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        m_address = QString::fromUtf8(m_bus.readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }
    void cleanupTestCase()
    {
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void withoutAFileManagerServiceTheFolderOpens()
    {
        DesktopWorkspace w = workspace();
        QCOMPARE(reveal(w, QStringLiteral("/tmp/Zentu Shots/a.png")), std::optional<bool>(true));
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/Zentu Shots"))});

        // Nothing could be opened at all: the caller is told.
        m_opened.clear();
        m_openerWorks = false;
        QCOMPARE(reveal(w, QStringLiteral("/tmp/Zentu Shots/a.png")), std::optional<bool>(false));
        QCOMPARE(m_opened.size(), 1);
        m_openerWorks = true;
    }

    void aFileManagerServiceSelectsTheFile()
    {
        QDBusConnection service = QDBusConnection::connectToBus(m_address, QStringLiteral("filemanager"));
        FakeFileManager fileManager;
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));

        m_opened.clear();
        DesktopWorkspace w = workspace();
        QCOMPARE(reveal(w, QStringLiteral("/tmp/Zentu Shots/Bild ä.png")), std::optional<bool>(true));
        QCOMPARE(fileManager.shown, QStringList{QStringLiteral("file:///tmp/Zentu%20Shots/Bild%20%C3%A4.png")});
        QVERIFY(m_opened.isEmpty());
        QDBusConnection::disconnectFromBus(QStringLiteral("filemanager"));
    }
};

ZENTU_TEST_MAIN(TestDesktopWorkspace)
#include "tst_desktopworkspace.moc"
