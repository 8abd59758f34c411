// Two full-screen captures in a row with the real program on a real X server:
// the second is pressed while the first one's toast is on screen. The toast is
// taken away before the screen is read, so both pictures show the screen as
// it is beneath, and the second is not held up waiting for a repaint that the
// toast's clipped corners would never get.
#include "support/IsolatedEnvironment.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <csignal>

namespace {

// Every 8 × 8 block in its own colour, above everything but our toast.
class Pattern : public QWidget {
public:
    Pattern() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint) {}
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        for (int y = 0; y < height(); y += 8)
            for (int x = 0; x < width(); x += 8)
                p.fillRect(x, y, 8, 8, QColor((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
    }
};

} // namespace

class TestCaptureTwiceX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;

    QImage storedPicture(int record) const
    {
        const QJsonArray records = m_real.historyRecords(QStringLiteral("screenshots.json"));
        const QString png = m_real.dataFolder() + "/Screenshots/" + records.at(record).toObject().value("fileName").toString();
        QImage stored;
        QTest::qWaitFor([&] { return !(stored = QImage(png)).isNull(); }, 10000);
        return stored.convertToFormat(QImage::Format_RGB32);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(startQuietly(m_real, m_app));
    }
    void cleanupTestCase()
    {
        stopQuietly(m_app);
    }

    void theSecondCaptureShowsNoToastAndDoesNotWait()
    {
        Pattern pattern;
        pattern.setGeometry(QGuiApplication::primaryScreen()->geometry());
        pattern.show();
        QImage screen;
        QTRY_VERIFY_WITH_TIMEOUT((screen = grabScreen()).pixelColor(9, 17) == QColor(56, 80, 72), 15000);
        const auto press = [] {
            return xdotool({"keydown", "Super_L", "keydown", "Shift_L", "key", "15", "keyup", "Shift_L", "keyup", "Super_L"});
        };
        QVERIFY(press());
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 1, 15000);
        // The toast is up (it changes the screen) when the second press comes.
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen() != screen, 15000);
        QVERIFY(press());
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 2, 15000);
        QCOMPARE(storedPicture(1), screen);
        QCOMPARE(storedPicture(0), screen);
        // The repaint beneath the toast was seen, not waited out to the bound.
        QVERIFY(m_real.debugLog().contains(QStringLiteral("Bildschirm unter Popups neu gezeichnet nach")));
        QVERIFY(!m_real.debugLog().contains(QStringLiteral("(Obergrenze)")));
    }
};

ZENTU_TEST_MAIN(TestCaptureTwiceX11)
#include "tst_capturetwice_x11.moc"
