// The real program on a display without any tray host (openbox alone), as on
// a bare window manager or a desktop without its tray extension: the panel
// opens once as a normal window with its note, a second start opens it again,
// a tray that comes later (tint2) gets the icon and the note goes, and a tray
// that goes away brings the window back once. Then a StatusNotifierItem host
// (gtk-sni-tray-standalone with its own watcher) on the session bus: the icon
// is registered there from the start, shows in its bar, comes back after the
// host restarts, and the window opens while the host is away (in English).
#include "Localization/Localizer.h"
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/RealApp.h"
#include "support/QuietStart.h"
#include "support/ScreenDriver.h"
#include "support/ScreenReader.h"
#include "support/X11Probe.h"

using namespace AtspiNodes;

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStandardPaths>

namespace {
const QString note = QStringLiteral("Kein Infobereich (Tray) gefunden, deshalb hat Zentu.it kein Symbol. Die Tastenkürzel funktionieren weiterhin, und ein erneuter Start von Zentu.it öffnet dieses Panel.");
const QString openedAsWindow = QStringLiteral("TRAY kein Infobereich: Panel wird als Fenster geöffnet");

// What the StatusNotifierItem watcher answers for a property; invalid when
// there is no watcher.
QVariant watcherProperty(const char* name)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher") << QString::fromLatin1(name);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).value<QDBusVariant>().variant()
                                                       : QVariant();
}

// Whether an item of the process is registered at the watcher.
bool registeredItemOf(qint64 pid)
{
    for (const QString& item : watcherProperty("RegisteredStatusNotifierItems").toStringList()) {
        const QDBusReply<uint> owner = QDBusConnection::sessionBus().interface()->servicePid(item.section(u'/', 0, 0));
        if (owner.isValid() && owner.value() == pid)
            return true;
    }
    return false;
}

// Pixels of the tray icon's red in the area.
int iconRed(const QRect& area)
{
    return countPixels(grabScreen(area), {}, [](QColor c) { return c.red() > 170 && c.green() < 110 && c.blue() < 110; });
}
} // namespace

class TestTraylessX11 : public QObject {
    Q_OBJECT

    ScreenReader m_reader;
    RealApp m_real;
    QProcess m_app;
    QProcess m_tray;
    X11Probe x;
    QString m_note = note; // in the program's language

    int logged(const QString& line) const { return int(m_real.debugLog().count(line)); }
    // The panel as a window the window manager framed (a popup is not).
    xcb_window_t managedPanel() const
    {
        const QList<xcb_window_t> topLevel = x.children(x.root());
        for (xcb_window_t w : x.descendants(x.root()))
            if (x.pid(w) == m_app.processId() && x.viewable(w) && !topLevel.contains(w)
                && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")) == "Zentu.it"
                && x.rootGeometry(w).width() == 340)
                return w;
        return 0;
    }
    QRect popupPanel() const { return x.topLevelOfWidth(m_app.processId(), 340); }
    bool noteShown() const
    {
        return extents(find(window(m_app.processId(), QStringLiteral("Zentu.it")), m_note, {ATSPI_ROLE_LABEL})).isValid();
    }
    void stopTray()
    {
        if (m_tray.state() == QProcess::NotRunning)
            return;
        m_tray.terminate();
        QVERIFY(m_tray.waitForFinished(10000));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY2(x.tint2Windows().isEmpty(), "this test needs a display without a tray (ZENTU_NO_TRAY=1)");
        // A session bus without any StatusNotifierItem watcher, for the
        // screen reader's view.
        QVERIFY(m_reader.attach(m_real));
        m_tray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment trayEnv = QProcessEnvironment::systemEnvironment();
        trayEnv.insert(QStringLiteral("HOME"), m_real.root()); // no user configuration
        m_tray.setProcessEnvironment(trayEnv);
    }

    void cleanupTestCase()
    {
        stopQuietly(m_app);
        stopTray();
    }

    void withoutATrayThePanelOpensOnceAsAWindow()
    {
        m_real.start(m_app);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(logged(openedAsWindow) == 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() != 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(noteShown(), 20000);
        // The panel's own controls are there as on the popup.
        QVERIFY(find(window(m_app.processId(), QStringLiteral("Zentu.it")), QStringLiteral("Einstellungen"), buttonRoles()));
    }

    void aSecondStartOpensThePanelAgain()
    {
        x.close(managedPanel());
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() == 0, 15000);
        QProcess second;
        m_real.start(second);
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() != 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(noteShown(), 15000);
        QCOMPARE(logged(openedAsWindow), 1);
    }

    void aTrayThatComesGetsTheIconAndTheNoteGoes()
    {
        const int withNote = x.rootGeometry(managedPanel()).height();
        m_tray.start(QStringLiteral("tint2"), {});
        QVERIFY(m_tray.waitForStarted(5000));
        const QRect icon = x.settledTrayIcon(m_app.processId(), 30000);
        QVERIFY(icon.isValid());
        // The open window stays, without the note that is no longer true.
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() && x.rootGeometry(managedPanel()).height() < withNote, 15000);
        x.close(managedPanel());
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() == 0, 15000);

        // The icon opens the panel as its popup at the icon.
        QVERIFY(x.clickUntil([&] { return icon; }, [&] { return popupPanel().isValid(); }));
        QVERIFY(popupPanel().bottom() <= icon.top());
        QVERIFY(xdotool({QStringLiteral("key"), QStringLiteral("Escape")}));
        QTRY_VERIFY_WITH_TIMEOUT(!popupPanel().isValid(), 15000);
    }

    void aTrayThatGoesAwayBringsTheWindowBackOnce()
    {
        stopTray();
        QTRY_VERIFY_WITH_TIMEOUT(logged(openedAsWindow) == 2, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() != 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(noteShown(), 15000);
        stopQuietly(m_app);
    }

    void aStatusNotifierItemHostShowsTheIcon()
    {
        const QString host = QStandardPaths::findExecutable(QStringLiteral("gtk-sni-tray-standalone"));
        if (host.isEmpty())
            QSKIP("gtk-sni-tray-standalone (haskell-gtk-sni-tray-utils) is not installed");
        // A bar at the top of the screen with a watcher of its own.
        // Its host half can ask the bus before its own watcher owns the name
        // and then quits ("was not provided by any .service files"): such a
        // start is tried again, as a user would.
        const auto startHost = [&] {
            for (int attempt = 0; attempt < 3; ++attempt) {
                m_tray.start(host, {QStringLiteral("--watcher"), QStringLiteral("--top")});
                QVERIFY(m_tray.waitForStarted(5000));
                QTRY_VERIFY_WITH_TIMEOUT(watcherProperty("IsStatusNotifierHostRegistered").toBool()
                                             || m_tray.state() == QProcess::NotRunning,
                                         30000);
                if (m_tray.state() != QProcess::NotRunning)
                    break;
            }
            QVERIFY(watcherProperty("IsStatusNotifierHostRegistered").toBool());
        };
        startHost();

        // Chosen at start: the icon goes to the host's bar and no window opens.
        m_real.setEnvironmentVariable(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        m_note = Localizer([] { return QStringList{QStringLiteral("en")}; }).translate(note);
        QVERIFY(m_note.startsWith(QStringLiteral("No system tray found")));
        m_real.start(m_app);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(registeredItemOf(m_app.processId()), 30000);
        const QRect bar(0, 0, 200, 40);
        QTRY_VERIFY_WITH_TIMEOUT(iconRed(bar) > 100, 15000);
        QVERIFY(managedPanel() == 0);

        // The host goes: after the grace period the window opens.
        stopTray();
        QTRY_VERIFY_WITH_TIMEOUT(iconRed(bar) == 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(logged(openedAsWindow) == 1, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(managedPanel() != 0, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(noteShown(), 20000);

        // It comes back: the icon is registered with it again.
        startHost();
        QTRY_VERIFY_WITH_TIMEOUT(registeredItemOf(m_app.processId()), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(iconRed(bar) > 100, 15000);
        stopQuietly(m_app);
        stopTray();
    }
};

ZENTU_TEST_MAIN(TestTraylessX11)
#include "tst_trayless_x11.moc"
