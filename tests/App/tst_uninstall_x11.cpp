// Uninstalling the real program, as a user does it, from a throw-away home on
// a real X server: the program installed for the user (with a login item)
// runs in the tray; its folder chooser has been used, so Qt's dialogs have
// state to keep; the About tab's "Zentu.it deinstallieren…" is confirmed
// with a click. The last alert reports what went, the program quits, its
// install lies in the Trash, and no file of ours is left anywhere (no
// QtProject.conf either). Driven through the screen reader's view (AT-SPI),
// in German and in English.
#include "Localization/Localizer.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/SessionBus.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

using namespace AtspiNodes;

#include <QDirIterator>
#include <QStandardPaths>
#include <csignal>

namespace {
// Every file below the test's HOME and XDG folders, sockets and the like left out.
QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

// The first node of the application, in any of its windows, with this name.
AtspiNode anywhere(qint64 pid, const QString& name, const QList<AtspiRole>& roles)
{
    return find(application(pid), name, roles);
}
} // namespace

class TestUninstallX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> m_bus;
    RealApp m_real; // in this test's own folders
    QProcess m_app;
    X11Probe x;
    std::unique_ptr<Localizer> m_texts;

    // A viewable window of the program with this title.
    xcb_window_t dialogTitled(const QByteArray& title) const
    {
        for (xcb_window_t w : x.descendants(x.root()))
            if (x.pid(w) == m_app.processId() && x.viewable(w)
                && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")) == title)
                return w;
        return 0;
    }
    // The German text in the language of the current row.
    QString t(const char* german) const { return m_texts->translate(QString::fromUtf8(german)); }
    bool pressWhenThere(const QString& name, const QList<AtspiRole>& roles)
    {
        AtspiNode node;
        return QTest::qWaitFor([&] { return bool(node = anywhere(m_app.processId(), name, roles)); }, 20000)
            && press(node);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        m_bus = std::make_unique<SessionBus>();
        QVERIFY(m_bus->isRunning());
        m_real.setEnvironmentVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_bus->address()));
        m_real.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        QCOMPARE(atspi_init(), 0);
    }

    void cleanupTestCase()
    {
        if (m_app.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(10000);
        }
    }

    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("de") << QStringLiteral("de");
        QTest::newRow("en") << QStringLiteral("en");
    }
    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs()
    {
        QFETCH(QString, language);
        m_texts = std::make_unique<Localizer>([language] { return QStringList{language}; });
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), language);
        // A home as new as the user's first day.
        for (const char* folder : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
            QDir(qEnvironmentVariable(folder)).removeRecursively();
            QVERIFY(QDir().mkpath(qEnvironmentVariable(folder)));
        }
        // Installed for the user as the program installs itself, starting at login.
        XdgUserInstallation installation;
        QString error;
        QVERIFY2(installation.install(RealApp::binary(), &error), qPrintable(error));
        const QString program = installation.installedProgram();
        QVERIFY(XdgAutostartLoginItem(program).registerApp(nullptr));
        const qint64 programSize = QFileInfo(program).size();

        m_app.setProcessEnvironment(m_real.environment());
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        m_app.start(program, {});
        QVERIFY(m_app.waitForStarted(5000));
        const QRect icon = x.settledTrayIcon(m_app.processId(), 30000);
        QVERIFY(icon.isValid());

        // The settings, through the panel.
        for (int attempt = 0; attempt < 10 && !anywhere(m_app.processId(), t("Einstellungen"), buttonRoles()); ++attempt) {
            x.click(icon.center());
            (void)QTest::qWaitFor([&] { return bool(anywhere(m_app.processId(), t("Einstellungen"), buttonRoles())); }, 1500);
        }
        QVERIFY(pressWhenThere(t("Einstellungen"), buttonRoles()));
        QTRY_VERIFY_WITH_TIMEOUT(dialogTitled(t("Zentu.it Einstellungen").toUtf8()) != 0, 20000);

        // The folder chooser, closed again: Qt's dialog writes what it remembers.
        QVERIFY(pressWhenThere(t("Ändern …"), buttonRoles()));
        const QByteArray chooserTitle = t("Speicherort für Screenshots").toUtf8();
        xcb_window_t chooser = 0;
        QVERIFY(QTest::qWaitFor([&] { return (chooser = dialogTitled(chooserTitle)) != 0; }, 20000));
        for (int attempt = 0; attempt < 5 && dialogTitled(chooserTitle); ++attempt) {
            if (const xcb_window_t now = dialogTitled(chooserTitle))
                chooser = now;
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(chooser)}))
                xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            (void)QTest::qWaitFor([&] { return dialogTitled(chooserTitle) == 0; }, 3000);
        }
        QCOMPARE(dialogTitled(chooserTitle), xcb_window_t(0));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString dialogState = installation.dialogStateDirectory() + QStringLiteral("/QtProject.conf");
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(dialogState).contains("[FileDialog]"), 10000);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/QtProject.conf")));

        // "Über", "Zentu.it deinstallieren…", and the click on "Deinstallieren".
        QVERIFY(pressWhenThere(t("Über"), {ATSPI_ROLE_PAGE_TAB}));
        QVERIFY(pressWhenThere(t("Zentu.it deinstallieren…"), buttonRoles()));
        QVERIFY(pressWhenThere(t("Deinstallieren"), buttonRoles()));

        // The last alert, before the program quits.
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
        AtspiNode report;
        QVERIFY(QTest::qWaitFor([&] {
            return bool(report = anywhere(m_app.processId(), t("Zentu.it wurde deinstalliert"), {ATSPI_ROLE_LABEL}));
        }, 30000));
        QCOMPARE(m_app.state(), QProcess::Running);
        QVERIFY(pressWhenThere(t("OK"), buttonRoles()));
        QVERIFY(m_app.waitForFinished(20000));
        QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_app.exitCode(), 0);

        // The install is in the Trash as a whole, the program unchanged.
        QStringList trashed = QDir(trash + QStringLiteral("/files")).entryList(QDir::Files);
        trashed.sort();
        QCOMPARE(trashed, (QStringList{QStringLiteral("com.quorel.zentu.desktop"), QStringLiteral("com.quorel.zentu.svg"),
                                      QStringLiteral("zentu"), QStringLiteral("zentu-pagecapture")}));
        QCOMPARE(QFileInfo(trash + QStringLiteral("/files/zentu")).size(), programSize);
        QCOMPARE(QDir(trash + QStringLiteral("/info")).entryList(QDir::Files).size(), 4);

        // Nothing else of ours anywhere in the home and XDG folders.
        QStringList left = filesBelow(QFileInfo(QDir::homePath()).absolutePath());
        // dconf's own file in the runtime folder belongs to the session's
        // accessibility bus, which the screen reader's view started.
        const QString dconf = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/dconf/");
        left.removeIf([&](const QString& file) { return file.startsWith(trash + u'/') || file.startsWith(dconf); });
        QVERIFY2(left.isEmpty(), qPrintable(left.join(u'\n')));
    }
};

ZENTU_TEST_MAIN(TestUninstallX11)
#include "tst_uninstall_x11.moc"
