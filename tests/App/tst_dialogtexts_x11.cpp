// The real program's dialogs as a screen reader and the X server show them,
// in a German session: the install offer of a copy started from a download
// folder names its buttons with a visible "&" ("Verschieben & neu starten")
// and says where the program goes; declined, the program starts into the
// tray. Then Qt's own folder chooser, opened from the settings, speaks German
// throughout ("Suchen in:", "Abbrechen"), not Qt's English.
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/SessionBus.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>

using namespace AtspiNodes;

namespace {

const QList<AtspiRole> labels{ATSPI_ROLE_LABEL, ATSPI_ROLE_STATIC};

// Every name of the window's buttons and labels (what a screen reader reads).
QStringList wordsOf(const AtspiNode& window)
{
    return namesBelow(window, QList<AtspiRole>(buttonRoles()) << labels);
}

} // namespace

class TestDialogTextsX11 : public QObject {
    Q_OBJECT

    std::unique_ptr<SessionBus> m_bus;
    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;

    QString home() const { return m_real.root() + QStringLiteral("/home"); }

    // The program's top-level window that holds a node with this name.
    AtspiNode windowWith(const QString& name, const QList<AtspiRole>& roles) const
    {
        const AtspiNode app = application(m_app.processId());
        for (int i = 0; i < childCount(app); ++i)
            if (const AtspiNode w = childOf(app, i); w && find(w, name, roles))
                return w;
        return {};
    }

    // A click of the pointer on the node, again while it stays (the first can
    // fall on a window that is still being mapped).
    bool clickUntilGone(const std::function<AtspiNode()>& node, const std::function<bool()>& done)
    {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const QRect r = extents(node());
            if (r.isValid())
                m_x.click(r.center());
            if (QTest::qWaitFor(done, 4000))
                return true;
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        m_bus = std::make_unique<SessionBus>();
        QVERIFY(m_bus->isRunning());
        m_real.setEnvironmentVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_bus->address()));
        m_real.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), QStringLiteral("de"));
        QCOMPARE(atspi_init(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!m_x.tint2Windows().isEmpty(), 10000);
    }

    void cleanupTestCase()
    {
        if (m_app.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(10000);
        }
    }

    void installOfferShowsItsButtonsAsWritten()
    {
        const QString download = home() + QStringLiteral("/Downloads/zentu");
        QVERIFY(QDir().mkpath(QFileInfo(download).absolutePath()));
        QVERIFY(QFile::copy(RealApp::binary(), download));
        m_app.setProcessEnvironment(m_real.environment());
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        m_app.start(download, {});
        QVERIFY(m_app.waitForStarted(5000));

        AtspiNode offer;
        QTRY_VERIFY_WITH_TIMEOUT(bool(offer = windowWith(QStringLiteral("Nicht verschieben"), buttonRoles())), 30000);
        const QStringList words = wordsOf(offer);
        // The "&" is shown, not taken for a shortcut mark (which would leave
        // "Verschieben  neu starten").
        QVERIFY2(words.contains(QStringLiteral("Verschieben & neu starten")), qPrintable(words.join(" | ")));
        QVERIFY2(words.contains(QStringLiteral("Zentu.it für dein Benutzerkonto installieren?")), qPrintable(words.join(" | ")));
        QVERIFY2(words.join(QLatin1Char(' ')).contains(QStringLiteral("nach ~/.local/bin verschoben")), qPrintable(words.join(" | ")));
        for (const QString& w : words)
            QVERIFY2(!w.contains(QStringLiteral("Programme-Ordner")) && !w.contains(QStringLiteral("Berechtigungen")), qPrintable(w));

        // Declined: the download stays and starts into the tray.
        QVERIFY(clickUntilGone([&] { return find(offer, QStringLiteral("Nicht verschieben"), buttonRoles()); },
                               [&] { return !windowWith(QStringLiteral("Nicht verschieben"), buttonRoles()); }));
        QVERIFY(m_x.settledTrayIcon(m_app.processId(), 30000).isValid());
        QVERIFY(QFile::exists(download));
        QVERIFY(!QFile::exists(home() + QStringLiteral("/.local/bin/zentu")));
    }

    void folderChooserSpeaksGerman()
    {
        QVERIFY(m_app.state() == QProcess::Running);
        // The panel, from the tray icon; its "Einstellungen" opens the settings.
        const QRect icon = m_x.settledTrayIcon(m_app.processId());
        QVERIFY(icon.isValid());
        AtspiNode settingsButton;
        for (int attempt = 0; attempt < 10 && !settingsButton; ++attempt) {
            m_x.click(icon.center());
            (void)QTest::qWaitFor([&] {
                const AtspiNode panel = window(m_app.processId(), QStringLiteral("Zentu.it"));
                settingsButton = panel ? find(panel, QStringLiteral("Einstellungen"), buttonRoles()) : AtspiNode();
                return bool(settingsButton) && extents(settingsButton).isValid();
            }, 3000);
        }
        QVERIFY(settingsButton);
        QVERIFY(press(settingsButton));
        AtspiNode settings;
        QTRY_VERIFY_WITH_TIMEOUT(bool(settings = window(m_app.processId(), QStringLiteral("Zentu.it Einstellungen"))), 20000);

        // "Ändern …" (after the opening splash) opens Qt's folder chooser.
        auto chooser = [&] { return window(m_app.processId(), QStringLiteral("Speicherort für Screenshots")); };
        QVERIFY(clickUntilGone([&] { return find(settings, QStringLiteral("Ändern …"), buttonRoles()); },
                               [&] { return bool(chooser()); }));
        QStringList words;
        QTRY_VERIFY_WITH_TIMEOUT((words = wordsOf(chooser())).contains(QStringLiteral("Auswählen")), 10000);
        QVERIFY2(words.contains(QStringLiteral("Abbrechen")), qPrintable(words.join(" | ")));
        QVERIFY2(words.contains(QStringLiteral("Suchen in:")), qPrintable(words.join(" | ")));
        for (const char* english : {"Cancel", "Look in:", "Files of type:", "Directory:", "File name:", "Back", "Detail View"})
            QVERIFY2(!words.contains(QString::fromLatin1(english)), qPrintable(english + QStringLiteral(" in ") + words.join(" | ")));

        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!chooser(), 10000);
    }
};

ZENTU_TEST_MAIN(TestDialogTextsX11)
#include "tst_dialogtexts_x11.moc"
