// The whole road on a real X server with the real program: a global hotkey
// pressed through XTest ends in a stored, copied screenshot; the area hotkey
// shows the intro card over the dimmed screen, which Esc cancels and Return
// passes on to the overlay, where a drag stores the area. The toast after a
// capture takes neither the focus nor the clicks at its place.
#include "Models/AppSettings.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <csignal>

namespace {

// A full-screen picture no two pixels of a row or column share, above everything.
class Pattern : public QWidget {
public:
    Pattern() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint | Qt::WindowStaysOnTopHint) {}
    int presses = 0;
protected:
    void mousePressEvent(QMouseEvent*) override { ++presses; }
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        for (int y = 0; y < height(); y += 8)
            for (int x = 0; x < width(); x += 8)
                p.fillRect(x, y, 8, 8, QColor((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
    }
};

// Where two pictures of the screen differ.
QRect changedArea(const QImage& now, const QImage& before)
{
    QRect area;
    for (int y = 0; y < now.height(); y += 2)
        for (int x = 0; x < now.width(); x += 2)
            if (now.pixel(x, y) != before.pixel(x, y))
                area |= QRect(x, y, 1, 1);
    return area;
}

}

class TestCaptureE2EX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    std::unique_ptr<Pattern> m_pattern;
    QImage m_screen; // the pattern as the screen shows it
    QString base() const { return m_real.dataFolder(); }
    QString readLog() const { return m_real.debugLog(); }
    QJsonArray readJson(const QString& name) const { return m_real.historyRecords(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        {
            // The screen comparisons below want no editor window over the pattern.
            AppSettings settings;
            settings.openEditorAfterCapture = false;
            SettingsFileUserDefaults(m_real.settingsFile()).setValue(QStringLiteral("zentu.settings.v1"), settings.encoded());
        }

        m_pattern = std::make_unique<Pattern>();
        m_pattern->setGeometry(QGuiApplication::primaryScreen()->geometry());
        m_pattern->show();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(9, 17) == QColor(7 * 8 % 256, 5 * 16 % 256, 3 * 24 % 256), 15000);

        m_real.start(m_app, QProcess::ForwardedChannels);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("Hotkey registriert action=openClipboard")), 15000);
        // The pattern covers the tray; it stays the topmost window.
        m_pattern->raise();
        QTRY_VERIFY_WITH_TIMEOUT((m_screen = grabScreen()).pixelColor(9, 17) == QColor(56, 80, 72), 15000);
    }

    void cleanupTestCase()
    {
        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(10000));
    }

    void fullScreenHotkeyStoresAndCopiesTheScreen()
    {
        const QImage expected = m_screen;
        QVERIFY(readLog().contains(QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=22 mods=768 id=6")));

        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "15", "keyup", "15", "keyup",
                         "Shift_L", "keyup", "Super_L"}));
        X11Probe x;
        const QByteArray active = x.property(x.root(), x.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
        // The toast: centred low on the screen, never taking the focus, and a
        // click at its place reaches the window beneath while it stays.
        QRect toast;
        QTRY_VERIFY_WITH_TIMEOUT((toast = changedArea(grabScreen(), expected)).isValid(), 15000);
        QVERIFY2(qAbs(toast.center().x() - expected.width() / 2) <= 4 && toast.top() > expected.height() * 3 / 4,
                 qPrintable(QStringLiteral("toast at %1,%2 %3x%4").arg(toast.x()).arg(toast.y()).arg(toast.width()).arg(toast.height())));
        QCOMPARE(x.property(x.root(), x.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW), active);
        x.click(toast.center());
        QTRY_COMPARE_WITH_TIMEOUT(m_pattern->presses, 1, 5000);
        QVERIFY(changedArea(grabScreen(), expected).isValid());
        QVERIFY(readLog().contains(QStringLiteral("Hotkey-Event empfangen id=6 -> captureFullScreen")));
        QVERIFY(readLog().contains(QStringLiteral("CAPTURE captureFullScreen() (Ganzer Bildschirm) gestartet")));

        QTRY_COMPARE_WITH_TIMEOUT(readJson(QStringLiteral("screenshots.json")).size(), 1, 10000);
        const QJsonObject record = readJson(QStringLiteral("screenshots.json")).at(0).toObject();
        QCOMPARE(record.value("captureKind").toString(), QStringLiteral("fullScreen"));
        const QString png = base() + QStringLiteral("/Screenshots/") + record.value("fileName").toString();
        QImage stored;
        QTRY_VERIFY_WITH_TIMEOUT(!(stored = QImage(png)).isNull(), 10000);
        QCOMPARE(stored.convertToFormat(QImage::Format_RGB32), expected);
        QVERIFY(QFile::exists(base() + QStringLiteral("/Thumbnails/") + record.value("thumbnailFileName").toString()));

        // The clipboard holds the picture; the clipboard history does not.
        QImage copied;
        QTRY_VERIFY_WITH_TIMEOUT(!(copied = QGuiApplication::clipboard()->image()).isNull(), 15000);
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), expected);
        QTest::qWait(1200); // three polls of the clipboard monitor
        for (const auto& entry : readJson(QStringLiteral("clipboard.json")))
            QVERIFY(entry.toObject().value("type").toString() != QLatin1String("image"));
    }

    void areaHotkeyShowsTheIntroCardThenADragStoresTheArea()
    {
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen() == m_screen, 15000); // the toast has gone
        const QPoint inCard(960 - 172 + 6, 540);  // the card's left padding
        const QStringList areaHotkey{"keydown", "Super_L", "keydown", "Shift_L", "keydown", "11", "keyup", "11",
                                     "keyup", "Shift_L", "keyup", "Super_L"};
        // The card has the keyboard: Esc cancels it and nothing is captured.
        QVERIFY(xdotool(areaHotkey));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(inCard).lightness() > 230, 15000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen() == m_screen, 15000);
        QCOMPARE(readJson(QStringLiteral("screenshots.json")).size(), 1);

        QVERIFY(xdotool(areaHotkey));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(inCard).lightness() > 230, 15000);
        QVERIFY(readLog().contains(QStringLiteral("CAPTURE captureInteractive() (Bereich) gestartet")));
        // Around the card the screen is dimmed.
        const QColor around = grabScreen().pixelColor(40, 40);
        QVERIFY(qAbs(around.green() - qRound(m_screen.pixelColor(40, 40).green() * 0.6)) <= 2);

        QVERIFY(xdotool({"key", "Return"}));
        // The overlay: the frozen screen at 65 %.
        const QColor original = m_screen.pixelColor(inCard);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(grabScreen().pixelColor(inCard).green() - qRound(original.green() * 0.65)) <= 2, 15000);
        QVERIFY(xdotool({"mousemove", "300", "200", "mousedown", "1", "mousemove", "450", "300", "mousemove", "600",
                         "400", "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(readJson(QStringLiteral("screenshots.json")).size(), 2, 10000);
        const QJsonObject record = readJson(QStringLiteral("screenshots.json")).at(0).toObject();
        QCOMPARE(record.value("captureKind").toString(), QStringLiteral("area"));
        const QString png = base() + QStringLiteral("/Screenshots/") + record.value("fileName").toString();
        QImage stored;
        QTRY_VERIFY_WITH_TIMEOUT(!(stored = QImage(png)).isNull(), 10000);
        QCOMPARE(stored.convertToFormat(QImage::Format_RGB32), m_screen.copy(300, 200, 300, 200));
    }
};

ZENTU_TEST_MAIN(TestCaptureE2EX11)
#include "tst_capture_e2e_x11.moc"
