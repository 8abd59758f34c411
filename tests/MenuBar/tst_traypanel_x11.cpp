// The real program with a tray host: a click on the tray icon opens the panel
// at the icon; a grab of it shows its width and its sections over the seeded
// histories; its buttons reach the application.
#include "PanelFixture.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QFile>
#include <QProcess>
#include <QScreen>

namespace {

// Top-level windows of the process that are on screen.
QList<xcb_window_t> shown(const X11Probe& x, qint64 pid)
{
    QList<xcb_window_t> out;
    for (xcb_window_t w : x.children(x.root()))
        if (x.viewable(w) && (x.pid(w) == pid || [&] {
                for (xcb_window_t k : x.descendants(w))
                    if (x.pid(k) == pid)
                        return true;
                return false;
            }()))
            out.append(w);
    return out;
}

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

class TestTrayPanelX11 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void trayIconOpensThePanel()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        // Histories seeded in this test's own folders, which the program shares.
        {
            PanelFixture f;
            f.screenshotStore->add(PanelFixture::picture(400, 300, QColor(220, 20, 20)), CaptureKind::area);
            f.clipboardStore->addText(QStringLiteral("Text aus dem Verlauf"), std::nullopt);
        }
        QProcess app;
        RealApp().start(app);
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        X11Probe x;
        const QRect icon = x.settledTrayIcon(pid);
        QVERIFY(icon.isValid());
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : shown(x, pid))
                if (x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        QVERIFY(p.left() <= icon.center().x() && icon.center().x() <= p.right());
        QVERIFY(qMin(qAbs(p.bottom() - icon.top()), qAbs(p.top() - icon.bottom())) <= 10);

        // The grab: header with the brand's red dot, the red tile, the footer.
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT((shot = QGuiApplication::primaryScreen()
                                             ->grabWindow(0, p.x(), p.y(), p.width(), p.height())
                                             .toImage()
                                             .convertToFormat(QImage::Format_RGB32),
                                  redPixels(shot, QRect(0, 60, 340, p.height() - 60)) > 96 * 70 * 3 / 4), 15000);
        QCOMPARE(shot.width(), 340);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            shot.save(QStringLiteral("/tmp/tray-panel.png"));
        // The word mark's red dot, right of the 18 px icon.
        int dot = 0;
        for (int y = 0; y < 38; ++y)
            for (int x = 36; x < 160; ++x) {
                const QColor c = shot.pixelColor(x, y);
                dot += c.red() > 200 && c.green() < 120 && c.blue() < 120;
            }
        QVERIFY(dot > 2);
        QVERIFY(p.height() > 450); // cards, strip, clipboard list of 240 and footer

        // "Alle" (the one accent-coloured text at the right edge) opens the
        // clipboard history window with the same list.
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
    }
};

ZENTU_TEST_MAIN(TestTrayPanelX11)
#include "tst_traypanel_x11.moc"
