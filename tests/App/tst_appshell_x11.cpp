// The real program on a real X server with a tray host, over seeded
// histories: the tray icon gets embedded and the log restarted; the icon opens
// the panel at the icon, whose grab shows the brand's dot and the seeded
// picture; a second start hands over and leaves one instance; "Alle" opens the
// clipboard history; "Beenden" and SIGTERM both end the program cleanly.
#include "MenuBar/PanelFixture.h"
#include "Storage/Storage.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/TestFiles.h"
#include "support/X11Probe.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

namespace {

int redPixels(const QImage& img, QRect area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() > 170 && c.green() < 70 && c.blue() < 70;
        }
    return n;
}

} // namespace

class TestAppShellX11 : public QObject {
    Q_OBJECT

    RealApp m_app;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_app.useFreshFolders());
        X11Probe x;
        QTRY_VERIFY_WITH_TIMEOUT(!x.tint2Windows().isEmpty(), 10000);
    }

    void startsIntoTheTrayOpensThePanelAndHandsOverASecondStart()
    {
        // Histories written by the real stores, handed to the program's folders.
        {
            PanelFixture f;
            f.screenshotStore->add(PanelFixture::picture(400, 300, QColor(220, 20, 20)), CaptureKind::area);
            f.clipboardStore->addText(QStringLiteral("Text aus dem Verlauf"), std::nullopt);
        }
        QCOMPARE(QProcess::execute(QStringLiteral("cp"), {"-a", testFolders().baseDirectory(), m_app.dataFolder()}), 0);
        // A log from an earlier run is replaced.
        QVERIFY(plantFile(m_app.dataFolder() + QStringLiteral("/debug.log"), "[01:02:03.004] alter Eintrag\n"));

        QProcess app;
        m_app.start(app);
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        X11Probe x;
        const QRect icon = x.settledTrayIcon(pid);
        QVERIFY(icon.isValid());

        QTRY_VERIFY_WITH_TIMEOUT(m_app.debugLog().contains(QStringLiteral("App gestartet")), 15000);
        const QStringList lines = m_app.debugLog().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("=== Zentu Debug-Log ==="));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] App gestartet$"))
                     .match(lines.value(1)).hasMatch(),
                 qPrintable(lines.value(1)));
        QVERIFY(!m_app.debugLog().contains(QStringLiteral("alter Eintrag")));

        // Both permissions hold on X11: 1.2 s after start the first run counts
        // as done and no first-run window opens.
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(m_app.settingsFile()).contains("zentu.onboarding.completed=true"), 15000);
        for (xcb_window_t w : x.descendants(x.root()))
            QVERIFY(!(x.pid(w) == pid && x.viewable(w)
                      && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")).contains("einrichten")));

        // A click on the icon opens the panel, 340 px wide, next to the icon.
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : x.children(x.root()))
                if (x.pid(w) == pid && x.viewable(w) && x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        // Right above (or below) the icon; the tray's panel strut may leave a small gap.
        const bool above = p.bottom() < icon.top() && icon.top() - p.bottom() <= 10;
        const bool below = p.top() > icon.bottom() && p.top() - icon.bottom() <= 10;
        QVERIFY2(above || below,
                 qPrintable(QStringLiteral("panel %1,%2 %3x%4 icon %5,%6")
                                .arg(p.x()).arg(p.y()).arg(p.width()).arg(p.height()).arg(icon.x()).arg(icon.y())));
        QVERIFY(p.left() <= icon.center().x() && icon.center().x() <= p.right());
        QVERIFY(p.height() > 450); // cards, strip, clipboard list of 240 and footer

        // The grab: the seeded red tile below the header, and the word mark's
        // red dot right of the 18 px icon.
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = grabScreen(p), redPixels(shot, QRect(0, 60, 340, p.height() - 60)) > 96 * 70 * 3 / 4), 15000);
        QVERIFY(redPixels(shot, QRect(36, 0, 124, 38)) > 2);
        // "Alle" is the one accent-coloured text at the right edge.
        QPoint sum;
        int accent = 0;
        for (int y = 40; y < shot.height() - 40; ++y)
            for (int x = 280; x < 340; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.blue() > c.red() + 60 && c.blue() > 120) {
                    sum += QPoint(x, y);
                    ++accent;
                }
            }
        QVERIFY(accent > 5);

        // A click elsewhere closes the panel.
        x.click(QPoint(600, 400));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 15000);

        // A second start hands over (the running instance opens its panel) and
        // exits; one instance, one icon remain.
        QProcess second;
        m_app.start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app.state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT(panel() == p, 15000);
        QCOMPARE(x.trayIcons(pid).size(), 1);
        QVERIFY(x.trayIcons(second.processId()).isEmpty());
        // The second start left the running instance's log alone.
        QVERIFY(m_app.debugLog().startsWith(QStringLiteral("=== Zentu Debug-Log ===\n")));
        QCOMPARE(m_app.debugLog().count(QStringLiteral("App gestartet")), 1);

        // "Alle" opens the clipboard history window.
        x.click(p.topLeft() + sum / accent);
        auto clipboardWindow = [&]() -> QRect {
            for (xcb_window_t w : x.descendants(x.root()))
                if (x.pid(w) == pid && x.viewable(w) &&
                    x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")) == "Zwischenablage-Verlauf")
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(clipboardWindow().isValid(), 15000);
        QCOMPARE(clipboardWindow().size(), QSize(380, 520));

        // "Beenden" in the footer's right corner ends the program (the panel
        // opened again first where the new window took it away).
        if (!panel().isValid())
            x.click(icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        x.click(QPoint(p.right() - 30, p.bottom() - 14));
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(pid).isEmpty(), 15000);

        // The session is free for the next start, and SIGTERM ends it through
        // the normal quit path.
        QProcess again;
        m_app.start(again);
        QVERIFY(again.waitForStarted(5000));
        QVERIFY(x.settledTrayIcon(again.processId()).isValid());
        ::kill(pid_t(again.processId()), SIGTERM);
        QVERIFY(again.waitForFinished(10000));
        QCOMPARE(again.exitStatus(), QProcess::NormalExit);
        QCOMPARE(again.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(again.processId()).isEmpty(), 15000);
    }
};

ZENTU_TEST_MAIN(TestAppShellX11)
#include "tst_appshell_x11.moc"
