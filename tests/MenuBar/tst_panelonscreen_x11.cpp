// The real program with tint2 as the tray at the bottom of the screen: the
// panel lies inside the screen's free area, its bottom edge at the tray, with
// an empty history, while entries arrive and after the first screenshot; a
// capture started from a hovered card holds nothing of the panel.
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>
#include <csignal>

namespace {
bool xdotool(const QStringList& args) { return QProcess::execute(QStringLiteral("xdotool"), args) == 0; }

QImage grab(QRect r)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}
} // namespace

class TestPanelOnScreenX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    QRect m_available;
    QRect m_icon;
    std::unique_ptr<HelperWindow> m_backdrop;

    QString base() const { return m_real.dataHome() + QStringLiteral("/Zentu.it"); }
    QString readLog() const
    {
        QFile log(base() + QStringLiteral("/debug.log"));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }
    QJsonArray screenshots() const
    {
        QFile f(base() + QStringLiteral("/screenshots.json"));
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).array() : QJsonArray();
    }
    // The panel: the program's 340 px wide window on screen.
    QRect panel() const
    {
        for (xcb_window_t w : m_x.children(m_x.root()))
            if (m_x.viewable(w) && m_x.pid(w) == m_app.processId() && m_x.rootGeometry(w).width() == 340)
                return m_x.rootGeometry(w);
        return {};
    }
    // Inside the free area, its bottom edge on the tray icon's top edge.
    void checkPlaced(QRect p, const char* when)
    {
        QVERIFY2(m_available.contains(p), qPrintable(QStringLiteral("%1: panel %2,%3 %4x%5 outside %6x%7")
                                                         .arg(QLatin1String(when)).arg(p.x()).arg(p.y())
                                                         .arg(p.width()).arg(p.height())
                                                         .arg(m_available.width()).arg(m_available.height())));
        QCOMPARE(p.bottom(), qMin(m_icon.top() - 1, m_available.bottom()));
    }
    QRgb backdropAt(QPoint p) const
    {
        return HelperWindow::pattern(p.x() - m_backdrop->rect.x(), p.y() - m_backdrop->rect.y(), m_backdrop->seed);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        m_real.start(m_app);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("Hotkey registriert action=openClipboard")), 15000);
        m_icon = m_x.settledTrayIcon(m_app.processId());
        QVERIFY(m_icon.isValid());
        m_available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(m_icon.top() > m_available.center().y(), "tint2 is expected at the bottom");
        // A known picture behind the panel, up to the tray.
        m_backdrop = std::make_unique<HelperWindow>(QRect(m_available.topLeft(), QSize(m_available.width(), m_icon.top() - 4)), 91);
        QVERIFY(m_backdrop->id);
        const QPoint probe(m_available.left() + 300, m_available.top() + 200);
        QTRY_VERIFY_WITH_TIMEOUT(grab(QRect(probe, QSize(1, 1))).pixel(0, 0) == backdropAt(probe), 15000);
    }

    void cleanupTestCase()
    {
        ::kill(pid_t(m_app.processId()), SIGTERM);
        m_app.waitForFinished(10000);
    }

    void staysInsideTheScreenAsItGrows()
    {
        // An empty history.
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect empty = panel();
        checkPlaced(empty, "empty");

        // Clipboard entries arrive while it is open: its list grows upwards.
        QProcess owner;
        owner.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"text", "Kopiert, während das Panel offen ist"});
        QVERIFY(owner.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(panel().height() >= empty.height() + 150, 15000);
        checkPlaced(panel(), "entries arrived");
        owner.closeWriteChannel();
        owner.waitForFinished(5000);

        // The first screenshot, from the full-screen card after resting on it.
        const QRect before = panel();
        const QPoint card(before.center().x(), before.top() + 90);
        const QRect cardArea(card - QPoint(40, 30), QSize(80, 60));
        const QImage still = grab(cardArea);
        QVERIFY(xdotool({"mousemove", QString::number(card.x()), QString::number(card.y())}));
        QTRY_VERIFY_WITH_TIMEOUT(grab(cardArea) != still, 10000); // lit and showing its hotkey
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(screenshots().size(), 1, 15000);
        const QString png = base() + QStringLiteral("/Screenshots/") + screenshots().at(0).toObject().value("fileName").toString();
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(!(shot = QImage(png)).isNull(), 10000);
        // Where the panel was, the capture shows what lies beneath it.
        int wrong = 0;
        for (int y = before.top(); y <= before.bottom(); y += 3)
            for (int x = before.left(); x <= before.right(); x += 3)
                wrong += (shot.pixel(x, y) & 0xffffff) != (backdropAt(QPoint(x, y)) & 0xffffff);
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 pixels of the panel in the capture").arg(wrong)));

        // Opened again, now with the screenshot strip: still inside.
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().height() >= before.height() + 80, 15000);
        checkPlaced(panel(), "after the first screenshot");
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
    }
};

ZENTU_TEST_MAIN(TestPanelOnScreenX11)
#include "tst_panelonscreen_x11.moc"
