// "Show in the file manager" on a private session bus: a file manager that
// offers org.freedesktop.FileManager1 selects the file; without one the folder
// is opened; when that fails too the caller learns it.
#include "Platform/Qt/DesktopWorkspace.h"
#include "support/IsolatedEnvironment.h"
#include "support/SessionBus.h"

#include <QDBusConnection>

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

    SessionBus m_bus;
    QList<QUrl> m_opened;
    bool m_openerWorks = true;

    // The answer of revealFile, waited for.
    std::optional<bool> reveal(const QString& path)
    {
        DesktopWorkspace w([this](const QUrl& url) {
            m_opened << url;
            return m_openerWorks;
        });
        auto answer = std::make_shared<std::optional<bool>>();
        w.revealFile(path, [answer](bool shown) { *answer = shown; });
        (void)QTest::qWaitFor([&] { return answer->has_value(); }, 10000);
        return *answer;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_bus.isRunning() && QDBusConnection::sessionBus().isConnected()); }

    void withoutAFileManagerServiceTheFolderOpens()
    {
        QCOMPARE(reveal(QStringLiteral("/tmp/Zentu Shots/a.png")), std::optional<bool>(true));
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/Zentu Shots"))});

        // Nothing could be opened at all: the caller is told.
        m_openerWorks = false;
        QCOMPARE(reveal(QStringLiteral("/tmp/Zentu Shots/a.png")), std::optional<bool>(false));
        QCOMPARE(m_opened.size(), 2);
        m_openerWorks = true;
    }

    void aFileManagerServiceSelectsTheFile()
    {
        QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(m_bus.address()), "filemanager");
        FakeFileManager fileManager;
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fileManager,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));

        m_opened.clear();
        QCOMPARE(reveal(QStringLiteral("/tmp/Zentu Shots/Bild ä.png")), std::optional<bool>(true));
        QCOMPARE(fileManager.shown, QStringList{QStringLiteral("file:///tmp/Zentu%20Shots/Bild%20%C3%A4.png")});
        QVERIFY(m_opened.isEmpty());
        QDBusConnection::disconnectFromBus(QStringLiteral("filemanager"));
    }
};

ZENTU_TEST_MAIN(TestDesktopWorkspace)
#include "tst_desktopworkspace.moc"
