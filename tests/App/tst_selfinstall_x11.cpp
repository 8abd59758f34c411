// The real program installing and uninstalling itself, from a throw-away home
// on a real X server, driven through the screen reader's view (AT-SPI). A
// copy started from a download folder offers to install itself with its
// buttons as written ("Verschieben & neu starten", the "&" no shortcut mark)
// and says where it goes; declined, it starts into the tray. Then, in German
// and in English: the program installed for the user (with a login item)
// runs in the tray; Qt's folder chooser, opened from the settings, speaks
// German throughout in a German session, and closed it leaves Qt's state to
// keep; the About tab's "Zentu.it deinstallieren…" is confirmed with a click.
// The last alert reports what went, the program quits, its install lies in
// the Trash, and no file of ours is left anywhere (no QtProject.conf either).
#include "Localization/Localizer.h"
#include "Platform/Qt/XdgAutostartLoginItem.h"
#include "Platform/Qt/XdgUserInstallation.h"
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/ScreenReader.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

using namespace AtspiNodes;

#include <QDirIterator>
#include <QStandardPaths>

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

// Every name of the window's buttons and labels (what a screen reader reads).
QStringList wordsOf(const AtspiNode& window)
{
    return namesBelow(window, QList<AtspiRole>(buttonRoles()) << ATSPI_ROLE_LABEL << ATSPI_ROLE_STATIC);
}
} // namespace

class TestSelfInstallX11 : public QObject {
    Q_OBJECT

    ScreenReader m_reader;
    RealApp m_real; // in this test's own folders
    QProcess m_app;
    X11Probe x;
    std::unique_ptr<Localizer> m_texts;

    // The German text in the language of the current row.
    QString t(const char* german) const { return m_texts->translate(QString::fromUtf8(german)); }
    // The first node of the application, in any of its windows, with this name.
    AtspiNode anywhere(const QString& name, const QList<AtspiRole>& roles) const
    {
        return find(application(m_app.processId()), name, roles);
    }
    bool pressWhenThere(const QString& name, const QList<AtspiRole>& roles)
    {
        AtspiNode node;
        return QTest::qWaitFor([&] { return bool(node = anywhere(name, roles)); }, 20000) && press(node);
    }
    void startProgram(const QString& program)
    {
        m_app.setProcessEnvironment(m_real.environment());
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        m_app.start(program, {});
        QVERIFY(m_app.waitForStarted(5000));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_reader.attach(m_real));
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
    }
    void cleanupTestCase() { stopQuietly(m_app); }

    void installOfferShowsItsButtonsAsWritten()
    {
        const QString download = QDir::homePath() + QStringLiteral("/Downloads/zentu");
        QVERIFY(QDir().mkpath(QFileInfo(download).absolutePath()));
        QVERIFY(QFile::copy(RealApp::binary(), download));
        startProgram(download);

        // The offer's window: the one with "Nicht verschieben".
        const auto offer = [&] {
            const AtspiNode app = application(m_app.processId());
            for (int i = 0; i < childCount(app); ++i)
                if (const AtspiNode w = childOf(app, i); w && find(w, QStringLiteral("Nicht verschieben"), buttonRoles()))
                    return w;
            return AtspiNode();
        };
        QTRY_VERIFY_WITH_TIMEOUT(offer(), 30000);
        const QStringList words = wordsOf(offer());
        // The "&" is shown, not taken for a shortcut mark (which would leave
        // "Verschieben  neu starten").
        QVERIFY2(words.contains(QStringLiteral("Verschieben & neu starten")), qPrintable(words.join(" | ")));
        QVERIFY2(words.contains(QStringLiteral("Zentu.it für dein Benutzerkonto installieren?")), qPrintable(words.join(" | ")));
        QVERIFY2(words.join(QLatin1Char(' ')).contains(QStringLiteral("nach ~/.local/bin verschoben")), qPrintable(words.join(" | ")));
        for (const QString& w : words)
            QVERIFY2(!w.contains(QStringLiteral("Programme-Ordner")) && !w.contains(QStringLiteral("Berechtigungen")), qPrintable(w));

        // Declined: the download stays and starts into the tray.
        QVERIFY(x.clickUntil([&] { return extents(find(offer(), QStringLiteral("Nicht verschieben"), buttonRoles())); },
                             [&] { return !offer(); }, 5, 4000));
        QVERIFY(x.settledTrayIcon(m_app.processId(), 30000).isValid());
        QVERIFY(QFile::exists(download));
        QVERIFY(!QFile::exists(QDir::homePath() + QStringLiteral("/.local/bin/zentu")));
        stopQuietly(m_app);
    }

    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("chooserSays"); // Qt's own texts
        QTest::newRow("de") << QStringLiteral("de") << QStringList{"Auswählen", "Abbrechen", "Suchen in:"};
        QTest::newRow("en") << QStringLiteral("en") << QStringList();
    }
    void anUninstallLeavesOurProgramInTheTrashAndNoFileOfOurs()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, chooserSays);
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
        startProgram(program);
        const QRect icon = x.settledTrayIcon(m_app.processId(), 30000);
        QVERIFY(icon.isValid());

        // The settings, through the panel.
        QVERIFY(x.clickUntil([&] { return icon; }, [&] { return bool(anywhere(t("Einstellungen"), buttonRoles())); }));
        QVERIFY(pressWhenThere(t("Einstellungen"), buttonRoles()));
        QTRY_VERIFY_WITH_TIMEOUT(x.windowTitled(m_app.processId(), t("Zentu.it Einstellungen").toUtf8()) != 0, 20000);

        // The folder chooser in the session's language; closed again, Qt's
        // dialog writes what it remembers.
        const QString chooserTitle = t("Speicherort für Screenshots");
        const auto chooser = [&] { return x.windowTitled(m_app.processId(), chooserTitle.toUtf8()); };
        QVERIFY(pressWhenThere(t("Ändern …"), buttonRoles()));
        QTRY_VERIFY_WITH_TIMEOUT(chooser() != 0, 20000);
        if (!chooserSays.isEmpty()) {
            QStringList words;
            QTRY_VERIFY_WITH_TIMEOUT((words = wordsOf(window(m_app.processId(), chooserTitle))).contains(chooserSays.first()), 10000);
            for (const QString& said : chooserSays)
                QVERIFY2(words.contains(said), qPrintable(said + QStringLiteral(" not in ") + words.join(" | ")));
            for (const char* english : {"Cancel", "Look in:", "Files of type:", "Directory:", "File name:", "Back", "Detail View"})
                QVERIFY2(!words.contains(QString::fromLatin1(english)), qPrintable(english + QStringLiteral(" in ") + words.join(" | ")));
        }
        for (int attempt = 0; attempt < 5 && chooser(); ++attempt) {
            if (xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(chooser())}))
                xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
            (void)QTest::qWaitFor([&] { return chooser() == 0; }, 3000);
        }
        QCOMPARE(chooser(), xcb_window_t(0));
        const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        const QString dialogState = installation.dialogStateDirectory() + QStringLiteral("/QtProject.conf");
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(dialogState).contains("[FileDialog]"), 10000);
        QVERIFY(!QFileInfo::exists(config + QStringLiteral("/QtProject.conf")));

        // "Über", "Zentu.it deinstallieren…", and the click on "Deinstallieren".
        QVERIFY(pressWhenThere(t("Über"), {ATSPI_ROLE_PAGE_TAB}));
        QVERIFY(pressWhenThere(t("Zentu.it deinstallieren…"), buttonRoles()));
        QVERIFY(pressWhenThere(t("Deinstallieren"), buttonRoles()));

        // The last alert, before the program quits.
        QVERIFY(QTest::qWaitFor([&] { return bool(anywhere(t("Zentu.it wurde deinstalliert"), {ATSPI_ROLE_LABEL})); }, 30000));
        QCOMPARE(m_app.state(), QProcess::Running);
        QVERIFY(pressWhenThere(t("OK"), buttonRoles()));
        QVERIFY(m_app.waitForFinished(20000));
        QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_app.exitCode(), 0);

        // The install is in the Trash as a whole, the program unchanged.
        const QString trash = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
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

ZENTU_TEST_MAIN(TestSelfInstallX11)
#include "tst_selfinstall_x11.moc"
