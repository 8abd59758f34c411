// The real program on a real X server: the settings window opens from the
// panel's "Einstellungen", and a combination recorded in its Hotkeys tab
// works as a global hotkey at once.
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

bool xdotool(const QStringList& args) { return QProcess::execute("xdotool", args) == 0; }

QImage grab(QRect r)
{
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, r.x(), r.y(), r.width(), r.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Centres of the text lines drawn in a band of columns: one per dark cluster
// of rows, top to bottom.
QList<int> textLines(const QImage& img, int left, int right, int top, int bottom)
{
    QList<int> centres;
    int start = -1;
    for (int y = top; y <= bottom + 1; ++y) {
        bool dark = false;
        for (int x = left; y <= bottom && x <= right && !dark; ++x)
            dark = img.pixelColor(x, y).lightness() < 110;
        if (dark && start < 0)
            start = y;
        if (!dark && start >= 0) {
            centres << (start + y - 1) / 2;
            start = -1;
        }
    }
    return centres;
}

} // namespace

class TestSettingsWindowX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    QRect m_window;

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
    xcb_window_t settingsWindow() const
    {
        for (xcb_window_t w : m_x.descendants(m_x.root()))
            if (m_x.pid(w) == m_app.processId() && m_x.viewable(w)
                && m_x.property(w, m_x.atom("_NET_WM_NAME"), m_x.atom("UTF8_STRING")) == "Zentu.it Einstellungen")
                return w;
        return XCB_NONE;
    }
    void pressSuperShift(const char* x11Keycode)
    {
        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", x11Keycode, "keyup", x11Keycode,
                         "keyup", "Shift_L", "keyup", "Super_L"}));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        m_real.start(m_app, QProcess::ForwardedChannels);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("Hotkey registriert action=openClipboard")), 15000);
        QVERIFY(m_x.settledTrayIcon(m_app.processId()).isValid());
    }

    void cleanupTestCase()
    {
        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(10000));
    }

    void settingsOpenFromThePanel()
    {
        const QRect icon = m_x.settledTrayIcon(m_app.processId());
        QVERIFY(icon.isValid());
        m_x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : m_x.children(m_x.root())) {
                if (!m_x.viewable(w) || m_x.rootGeometry(w).width() != 340)
                    continue;
                QList<xcb_window_t> tree = m_x.descendants(w);
                tree << w;
                for (xcb_window_t k : tree)
                    if (m_x.pid(k) == m_app.processId())
                        return m_x.rootGeometry(w);
            }
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        const QRect p = panel();
        m_x.click(QPoint(p.left() + 40, p.bottom() - 14)); // "Einstellungen", left in the footer

        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow() != XCB_NONE, 15000);
        const xcb_window_t w = settingsWindow();
        m_window = m_x.rootGeometry(w);
        QCOMPARE(m_window.size(), QSize(640, 850));
        // Not resizable: the window manager is told one size only.
        // WM_NORMAL_HINTS: flags, x, y, width, height, min size, max size, …
        const QByteArray hints = m_x.property(w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
        QVERIFY(hints.size() >= 9 * 4);
        const auto* field = reinterpret_cast<const quint32*>(hints.constData());
        constexpr quint32 minSize = 1u << 4, maxSize = 1u << 5;
        QCOMPARE(field[0] & (minSize | maxSize), minSize | maxSize);
        QCOMPARE(QSize(int(field[5]), int(field[6])), QSize(640, 850));
        QCOMPARE(QSize(int(field[7]), int(field[8])), QSize(640, 850));
    }

    void recordedHotkeyWorksAtOnce()
    {
        QVERIFY(m_window.isValid());
        // After the opening picture the tab bar shows the white selection pill
        // at its first tab.
        const QPoint pillEdge = m_window.topLeft() + QPoint(24, 32);
        QTRY_VERIFY_WITH_TIMEOUT(grab(QRect(pillEdge, QSize(1, 1))).pixelColor(0, 0) == QColor(Qt::white), 15000);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            grab(m_window).save(QStringLiteral("/tmp/settings-general.png"));

        // "Hotkeys", the middle tab.
        m_x.click(m_window.topLeft() + QPoint(320, 32));
        // Four recorders, one text line each, right of the labels.
        const int left = 440, right = 555;
        QList<int> lines;
        const bool found = QTest::qWaitFor(
            [&] { return (lines = textLines(grab(m_window), left, right, 70, 400)).size() >= 4; }, 15000);
        if (qEnvironmentVariableIsSet("ZENTU_SAVE_GRABS"))
            grab(m_window).save(QStringLiteral("/tmp/settings-hotkeys.png"));
        QVERIFY(found);
        const QPoint fullScreen = m_window.topLeft() + QPoint((left + right) / 2, lines.at(1));
        const QImage before = grab(QRect(fullScreen - QPoint(70, 8), QSize(140, 16)));

        // While recording the field holds the keyboard: its own combination,
        // Super+Shift+6, is recorded (and registered again), not captured.
        const QString registered6 = QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=22 mods=768");
        QCOMPARE(readLog().count(registered6), 1);
        m_x.click(fullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(grab(QRect(fullScreen - QPoint(70, 8), QSize(140, 16))) != before, 15000);
        pressSuperShift("15");
        QTRY_COMPARE_WITH_TIMEOUT(readLog().count(registered6), 2, 15000);
        QVERIFY(!readLog().contains(QStringLiteral("Hotkey-Event empfangen")));

        // Click it again: the prompt replaces the combination; then Super+Shift+9.
        const QImage idle = grab(QRect(fullScreen - QPoint(70, 8), QSize(140, 16)));
        m_x.click(fullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(grab(QRect(fullScreen - QPoint(70, 8), QSize(140, 16))) != idle, 15000);
        pressSuperShift("18");
        QTRY_VERIFY_WITH_TIMEOUT(
            readLog().contains(QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=25 mods=768")),
            15000);
        QFile config(m_real.root() + QStringLiteral("/config/com.quorel.zentu.conf"));
        QVERIFY(config.open(QIODevice::ReadOnly));
        QVERIFY(config.readAll().contains("captureFullScreen"));

        // Pressed again, now globally: a full-screen capture is stored.
        QCOMPARE(screenshots().size(), 0);
        pressSuperShift("18");
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("-> captureFullScreen")), 15000);
        QTRY_COMPARE_WITH_TIMEOUT(screenshots().size(), 1, 15000);
        const QJsonObject record = screenshots().at(0).toObject();
        QCOMPARE(record.value("captureKind").toString(), QStringLiteral("fullScreen"));
        QImage stored;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(stored = QImage(base() + QStringLiteral("/Screenshots/") + record.value("fileName").toString())).isNull(),
            15000);
        QCOMPARE(stored.size(), QGuiApplication::primaryScreen()->geometry().size());
    }
};

ZENTU_TEST_MAIN(TestSettingsWindowX11)
#include "tst_settingswindow_x11.moc"
