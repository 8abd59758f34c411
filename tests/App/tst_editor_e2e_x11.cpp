// The editor on the program's road, on a real X server with the real program:
// a full-screen capture opens "Zentu.it Editor" showing it, an XTest drag
// with the arrow tool draws, and closing the window (or quitting with one
// open) stores the arrow beside the unannotated picture. Ctrl+= zooms (the
// pill then reads "125%") and Ctrl+C copies the picture with the arrow,
// recorded once in the clipboard history as the program's own.
#include "Models/AppSettings.h"
#include "Platform/Qt/TesseractTextRecognizer.h"
#include "Platform/Qt/SettingsFileUserDefaults.h"
#include "support/IsolatedEnvironment.h"
#include "support/ScreenDriver.h"
#include "support/RealApp.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <csignal>

namespace {

QString xdotoolOutput(const QStringList& args)
{
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Four flat quadrants: a shrunk picture keeps their colours inside them.
const QColor quadrants[] = {QColor(0, 128, 128), QColor(40, 60, 160), QColor(128, 128, 0), QColor(90, 90, 90)};
const QColor arrowRed(230, 51, 51);

class Quadrants : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int w = width() / 2, h = height() / 2;
        p.fillRect(0, 0, w, h, quadrants[0]);
        p.fillRect(w, 0, width() - w, h, quadrants[1]);
        p.fillRect(0, h, w, height() - h, quadrants[2]);
        p.fillRect(w, h, width() - w, height() - h, quadrants[3]);
    }
};

bool near(QColor a, QColor b, int tolerance = 12)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

class TestEditorE2EX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    Quadrants m_pattern;

    QString base() const { return m_real.dataFolder(); }
    QJsonArray records() const { return m_real.historyRecords(QStringLiteral("screenshots.json")); }
    QString log() const { return m_real.debugLog(); }
    QJsonArray clipboardRecords() const { return m_real.historyRecords(QStringLiteral("clipboard.json")); }
    static QString editorWindow() { return xdotoolOutput({"search", "--onlyvisible", "--name", "^Zentu.it Editor$"}); }

    static QRect clientRect(const QString& window)
    {
        const QString shell = xdotoolOutput({"getwindowgeometry", "--shell", window});
        QHash<QString, int> g;
        for (const QString& line : shell.split('\n'))
            g.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
        return QRect(g.value("X"), g.value("Y"), g.value("WIDTH"), g.value("HEIGHT"));
    }

    // What the zoom pill in the window's bottom-right corner reads.
    static QString zoomPillText(const QString& window)
    {
        // The pill alone, without the scroll bars a zoomed canvas shows beside it.
        const QRect client = clientRect(window);
        const QRect pill(client.right() - 122, client.bottom() - 64, 114, 38);
        const QImage shot = grabScreen().copy(pill).convertToFormat(QImage::Format_Grayscale8);
        static TesseractTextRecognizer recognizer;
        QStringList words;
        for (const RecognizedLine& line :
             recognizer.recognize(shot.scaled(shot.size() * 4, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                                  {QStringLiteral("eng")}))
            words << line.text;
        return words.join(' ');
    }

    // The screen rectangle where the editor shows the picture: the flat areas
    // in the pattern's colours inside the editor's window (a lone pixel of
    // such a colour at an icon's edge is not part of it).
    static QRect pictureOnScreen(const QString& window)
    {
        const QRect client = clientRect(window);
        const QImage screen = grabScreen();
        QRect found;
        for (int y = client.top(); y <= client.bottom(); y += 2)
            for (int x = client.left(); x <= client.right(); x += 2)
                for (const QColor& c : quadrants)
                    if (screen.pixelColor(x, y) == c && screen.pixelColor(x + 1, y) == c
                        && screen.pixelColor(x, y + 1) == c && screen.pixelColor(x - 1, y - 1) == c)
                        found |= QRect(x, y, 1, 1);
        return found;
    }

    void captureFullScreen()
    {
        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "15", "keyup", "15", "keyup",
                         "Shift_L", "keyup", "Super_L"}));
    }

    // Draws an arrow across the middle of the shown picture; returns the point halfway along it.
    QPoint drawArrow(const QRect& picture)
    {
        const QPoint from = picture.topLeft() + QPoint(picture.width() * 3 / 10, picture.height() * 3 / 10);
        const QPoint to = picture.topLeft() + QPoint(picture.width() * 6 / 10, picture.height() * 5 / 10);
        const QPoint mid = (from + to) / 2;
        const auto n = [](int v) { return QString::number(v); };
        xdotool({"mousemove", n(from.x()), n(from.y()), "mousedown", "1", "mousemove", n(mid.x()), n(mid.y()),
                 "mousemove", n(to.x()), n(to.y()), "mouseup", "1"});
        return mid;
    }

    // Shows the pattern, captures it (the history then holds `screenshots`
    // records) and draws an arrow in the editor that opens.
    void captureAndDrawAnArrow(qsizetype screenshots, QString& window)
    {
        m_pattern.showFullScreen();
        m_pattern.activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(10, 10) == quadrants[0], 15000);
        captureFullScreen();
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), screenshots, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(!(window = editorWindow()).isEmpty(), 15000);
        m_pattern.hide();
        QRect picture;
        QTRY_VERIFY_WITH_TIMEOUT((picture = pictureOnScreen(window)).width() > 600, 15000);
        const QPoint mid = drawArrow(picture);
        QTRY_VERIFY_WITH_TIMEOUT(near(grabScreen().pixelColor(mid), arrowRed), 15000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        {
            SettingsFileUserDefaults defaults(m_real.settingsFile());
            AppSettings settings;
            settings.openEditorAfterCapture = true;
            settings.autoCopyToPasteboard = false; // the editor's copy is the only one
            defaults.setValue(QStringLiteral("zentu.settings.v1"), settings.encoded());
            defaults.setValue(QStringLiteral("zentu.onboarding.completed"), true);
        }
        m_pattern.setWindowFlag(Qt::FramelessWindowHint);
        m_pattern.showFullScreen();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(10, 10) == quadrants[0], 15000);

        m_real.start(m_app, QProcess::ForwardedChannels);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(log().contains(QStringLiteral("Hotkey registriert action=captureFullScreen")), 15000);
        m_pattern.activateWindow();
        m_pattern.raise();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(10, 10) == quadrants[0], 15000);
    }

    void cleanupTestCase()
    {
        if (m_app.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(10000);
        }
    }

    void aCaptureOpensTheEditorWhereAnArrowIsDrawnAndStored()
    {
        const QImage screen = grabScreen();
        captureFullScreen();
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), 1, 15000);
        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = editorWindow()).isEmpty(), 15000);
        QVERIFY(!log().contains(QStringLiteral("kein Editor verfügbar")));
        m_pattern.hide();

        // The whole capture, shrunk, in the window: all four quadrants in their places.
        QRect picture;
        QTRY_VERIFY_WITH_TIMEOUT((picture = pictureOnScreen(window)).width() > 600, 15000);
        const double aspect = double(screen.width()) / screen.height();
        QVERIFY(std::abs(picture.width() / double(picture.height()) - aspect) < 0.02);
        QImage shown = grabScreen();
        const QPoint q(picture.width() / 4, picture.height() / 4);
        QCOMPARE(shown.pixelColor(picture.topLeft() + q), quadrants[0]);
        QCOMPARE(shown.pixelColor(picture.topRight() + QPoint(-q.x(), q.y())), quadrants[1]);
        QCOMPARE(shown.pixelColor(picture.bottomLeft() + QPoint(q.x(), -q.y())), quadrants[2]);
        QCOMPARE(shown.pixelColor(picture.bottomRight() - q), quadrants[3]);

        // The default tool draws an arrow: red where the pointer went.
        const QPoint mid = drawArrow(picture);
        QTRY_VERIFY_WITH_TIMEOUT(near(grabScreen().pixelColor(mid), arrowRed), 15000);

        // Closing stores the arrow in the record; the stored picture stays as captured.
        QVERIFY(xdotool({"windowactivate", "--sync", window}));
        QVERIFY(xdotool({"key", "--clearmodifiers", "alt+F4"}));
        QTRY_VERIFY_WITH_TIMEOUT(editorWindow().isEmpty(), 15000);
        QJsonArray annotations;
        QTRY_COMPARE_WITH_TIMEOUT((annotations = records().at(0).toObject().value("annotations").toArray()).size(), 1, 10000);
        const QJsonObject arrow = annotations.at(0).toObject();
        QCOMPARE(arrow.value("kind").toString(), QStringLiteral("arrow"));
        const QJsonArray points = arrow.value("points").toArray();
        QCOMPARE(points.size(), 2);
        // Image pixels: the drag went from 30 % to 60 % across the picture.
        QVERIFY(std::abs(points.at(0).toArray().at(0).toDouble() - 0.3 * screen.width()) < 0.02 * screen.width());
        const QString png = base() + QStringLiteral("/Screenshots/") + records().at(0).toObject().value("fileName").toString();
        QImage stored;
        QTRY_VERIFY_WITH_TIMEOUT(!(stored = QImage(png)).isNull(), 10000);
        QCOMPARE(stored.convertToFormat(QImage::Format_RGB32), screen);
    }

    void zoomKeysAndCopyReachTheRealEditor()
    {
        const QSize screen = grabScreen().size();
        QString window;
        captureAndDrawAnArrow(2, window);
        if (QTest::currentTestFailed())
            return;

        QVERIFY(xdotool({"windowactivate", "--sync", window}));
        QTRY_VERIFY_WITH_TIMEOUT(zoomPillText(window).contains(QStringLiteral("100%")), 10000);
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+equal"}));
        QTRY_VERIFY2_WITH_TIMEOUT(zoomPillText(window).contains(QStringLiteral("125%")),
                                  qPrintable(zoomPillText(window)), 10000);

        // Ctrl+C: the whole picture with the arrow, once in the history, as the program's own.
        const qsizetype before = clipboardRecords().size();
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardRecords().size(), before + 1, 10000);
        const QJsonObject entry = clipboardRecords().at(0).toObject();
        QCOMPARE(entry.value("type").toString(), QStringLiteral("image"));
        QCOMPARE(entry.value("sourceAppBundleID").toString(), QStringLiteral("com.quorel.zentu"));
        QImage copied;
        QTRY_VERIFY_WITH_TIMEOUT((copied = QGuiApplication::clipboard()->image()).size() == screen, 10000);
        // The drag went from 30 % to 60 % across and 30 % to 50 % down: its middle is red.
        const QPoint arrowMiddle(int(0.45 * screen.width()), int(0.40 * screen.height()));
        QVERIFY(near(copied.pixelColor(arrowMiddle), arrowRed, 40));
        QVERIFY(near(copied.pixelColor(screen.width() / 8, screen.height() / 8), quadrants[0]));
        // The clipboard monitor does not record the program's own copy a second time.
        QVERIFY(!QTest::qWaitFor([&] { return clipboardRecords().size() > before + 1; }, 1500));

        QVERIFY(xdotool({"key", "--clearmodifiers", "alt+F4"}));
        QTRY_VERIFY_WITH_TIMEOUT(editorWindow().isEmpty(), 15000);
    }

    void quittingWithAnEditorOpenStoresItsArrow()
    {
        QString window;
        captureAndDrawAnArrow(3, window);
        if (QTest::currentTestFailed())
            return;

        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(10000));
        QCOMPARE(records().at(0).toObject().value("annotations").toArray().size(), 1);
    }
};

ZENTU_TEST_MAIN(TestEditorE2EX11)
#include "tst_editor_e2e_x11.moc"
