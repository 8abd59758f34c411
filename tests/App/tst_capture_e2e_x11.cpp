// The whole road on a real X server with the real program. A global hotkey
// pressed through XTest ends in a stored, copied screenshot, announced by a
// toast that takes neither the focus nor the clicks at its place, and a second
// press while that toast is up stores the screen beneath it at once; the area
// hotkey shows the intro card over the dimmed screen, which Esc cancels and
// Return passes on to the overlay, where a drag stores the area. Started
// again with the editor on: a capture opens "Zentu.it Editor" showing it, an
// XTest drag draws an arrow, Ctrl+C copies the picture with the arrow once
// into the clipboard history as the program's own, Ctrl+V inserts another
// program's picture, and quitting keeps both beside the unannotated capture.
// Then, in this process, the editor's results on the same server: Live Text
// lets the pointer select recognised words across lines and Ctrl+C copy them;
// a pinned picture stays above a normal window that is raised over it, is on
// every workspace, never takes the focus, moves when dragged and closes from
// its hover bar; faded to 30 % it shows the window beneath through it, over a
// still that follows it when dragged or moved where no compositor runs, and
// really translucent while xcompmgr runs.
#include "Pinned/PinnedImageModel.h"
#include "Pinned/PinnedImageView.h"
#include "Pinned/PinnedImageWindowController.h"
#include "Editor/AnnotationCanvasView.h"
#include "Editor/CanvasContentView.h"
#include "Editor/EditorRootView.h"
#include "Editor/EditorSession.h"
#include "Editor/EditorWindowController.h"
#include "Editor/LiveTextOverlay.h"
#include "Editor/OCRService.h"
#include "Models/AppSettings.h"
#include "Platform/Qt/TesseractTextRecognizer.h"
#include "Platform/X11/X11CompositingInfo.h"
#include "Platform/X11/X11WindowDesktops.h"
#include "Screenshot/Backdrop.h"
#include "fakes/FakeEditorEnvironment.h"
#include "support/ChildNamed.h"
#include "support/FilledImage.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/ScreenDriver.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QToolButton>
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

// The screen rectangle where the editor shows the picture: the flat areas in
// the quadrants' colours inside its window (a lone pixel of such a colour at
// an icon's edge is not part of it).
QRect pictureOnScreen(const QRect& client)
{
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

QColor screenPixel(QPoint at)
{
    return grabScreen(QRect(at, QSize(1, 1))).pixelColor(0, 0);
}

} // namespace

class TestCaptureE2EX11 : public QObject {
    Q_OBJECT

    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    std::unique_ptr<Pattern> m_pattern;
    QImage m_screen; // the pattern as the screen shows it
    QString base() const { return m_real.dataFolder(); }
    QString readLog() const { return m_real.debugLog(); }
    QJsonArray records() const { return m_real.historyRecords(QStringLiteral("screenshots.json")); }
    QJsonArray clipboardRecords() const { return m_real.historyRecords(QStringLiteral("clipboard.json")); }
    xcb_window_t activeWindow() const { return m_x.activeWindow(); }
    QList<xcb_atom_t> states(xcb_window_t w) const
    {
        const QByteArray v = m_x.property(w, m_x.atom("_NET_WM_STATE"), XCB_ATOM_ATOM);
        const auto* atoms = reinterpret_cast<const xcb_atom_t*>(v.constData());
        return QList<xcb_atom_t>(atoms, atoms + v.size() / int(sizeof(xcb_atom_t)));
    }
    // The editor's window, 0 while there is none.
    xcb_window_t editorWindow() const { return m_x.windowTitled(m_app.processId(), "Zentu.it Editor"); }
    QImage storedPicture(int record) const
    {
        QImage stored;
        const QString png = base() + QStringLiteral("/Screenshots/") + records().at(record).toObject().value("fileName").toString();
        if (!QTest::qWaitFor([&] { return !(stored = QImage(png)).isNull(); }, 10000))
            return {};
        return stored.convertToFormat(QImage::Format_RGB32);
    }

    void startApp(bool editor)
    {
        // With the editor on, the editor's copy is the only one.
        QVERIFY(startQuietly(m_real, m_app, [editor](AppSettings& s) {
            s.openEditorAfterCapture = editor;
            s.autoCopyToPasteboard = !editor;
        }));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        m_pattern = std::make_unique<Pattern>();
        m_pattern->setGeometry(QGuiApplication::primaryScreen()->geometry());
        m_pattern->show();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(9, 17) == QColor(56, 80, 72), 15000);
        startApp(false);
        // The pattern covers the tray; it stays the topmost window.
        m_pattern->raise();
        QTRY_VERIFY_WITH_TIMEOUT((m_screen = grabScreen()).pixelColor(9, 17) == QColor(56, 80, 72), 15000);
    }

    void cleanupTestCase()
    {
        if (m_app.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(10000);
        }
    }

    void fullScreenHotkeyStoresAndCopiesTheScreen()
    {
        const QImage expected = m_screen;
        QVERIFY(pressHotkey("15"));
        const xcb_window_t active = activeWindow();
        // The toast: centred low on the screen, never taking the focus, and a
        // click at its place reaches the window beneath while it stays.
        QRect toast;
        QTRY_VERIFY_WITH_TIMEOUT((toast = changedArea(grabScreen(), expected)).isValid(), 15000);
        QVERIFY2(qAbs(toast.center().x() - expected.width() / 2) <= 4 && toast.top() > expected.height() * 3 / 4,
                 qPrintable(QStringLiteral("toast at %1,%2 %3x%4").arg(toast.x()).arg(toast.y()).arg(toast.width()).arg(toast.height())));
        QCOMPARE(activeWindow(), active);
        m_x.click(toast.center());
        QTRY_COMPARE_WITH_TIMEOUT(m_pattern->presses, 1, 5000);
        QVERIFY(changedArea(grabScreen(), expected).isValid());

        // Pressed again while the toast is up: the toast goes before the
        // screen is read, and the repaint beneath it is seen, not waited out
        // to its bound (its clipped corners would never get one).
        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), 2, 10000);
        QVERIFY(readLog().contains(QStringLiteral("Bildschirm unter Popups neu gezeichnet nach")));
        QVERIFY(!readLog().contains(QStringLiteral("(Obergrenze)")));
        const QJsonObject record = records().at(0).toObject();
        QCOMPARE(record.value("captureKind").toString(), QStringLiteral("fullScreen"));
        QCOMPARE(storedPicture(1), expected);
        QCOMPARE(storedPicture(0), expected);
        QVERIFY(QFile::exists(base() + QStringLiteral("/Thumbnails/") + record.value("thumbnailFileName").toString()));

        // The clipboard holds the picture; the clipboard history does not.
        QImage copied;
        QTRY_VERIFY_WITH_TIMEOUT(!(copied = QGuiApplication::clipboard()->image()).isNull(), 15000);
        QCOMPARE(copied.convertToFormat(QImage::Format_RGB32), expected);
        QVERIFY(!QTest::qWaitFor([&] { return !clipboardRecords().isEmpty(); }, 1200)); // three monitor polls
    }

    void areaHotkeyShowsTheIntroCardThenADragStoresTheArea()
    {
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen() == m_screen, 15000); // the toast has gone
        const QPoint inCard(960 - 172 + 6, 540); // the card's left padding
        // The card has the keyboard: Esc cancels it and nothing is captured,
        // also when the hotkey was pressed again while it was up.
        QVERIFY(pressHotkey("11"));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(inCard).lightness() > 230, 15000);
        QVERIFY(pressHotkey("11"));
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("Freeze laeuft bereits -> ignoriere")), 15000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen() == m_screen, 15000);
        QCOMPARE(records().size(), 2);

        QVERIFY(pressHotkey("11"));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(inCard).lightness() > 230, 15000);
        // Around the card the screen is dimmed.
        const QColor around = grabScreen().pixelColor(40, 40);
        QVERIFY(qAbs(around.green() - qRound(m_screen.pixelColor(40, 40).green() * 0.6)) <= 2);
        QVERIFY(xdotool({"key", "Return"}));
        // The overlay: the frozen screen at 65 %.
        const QColor original = m_screen.pixelColor(inCard);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(grabScreen().pixelColor(inCard).green() - qRound(original.green() * 0.65)) <= 2, 15000);
        QVERIFY(xdotool({"mousemove", "300", "200", "mousedown", "1", "mousemove", "450", "300", "mousemove", "600",
                         "400", "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), 3, 10000);
        QCOMPARE(records().at(0).toObject().value("captureKind").toString(), QStringLiteral("area"));
        QCOMPARE(storedPicture(0), m_screen.copy(300, 200, 300, 200));
    }

    void theEditorShowsTheCaptureAndKeepsWhatIsDrawn()
    {
        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(10000));
        m_pattern->hide();
        Quadrants quadrantsWindow;
        quadrantsWindow.setWindowFlag(Qt::FramelessWindowHint);
        quadrantsWindow.showFullScreen();
        startApp(true);
        quadrantsWindow.activateWindow();
        quadrantsWindow.raise();
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen().pixelColor(10, 10) == quadrants[0], 15000);
        const QImage screen = grabScreen();

        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(records().size(), 4, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(editorWindow(), 15000);
        const QString window = QString::number(editorWindow());
        quadrantsWindow.hide();
        const auto client = [&] { return m_x.rootGeometry(editorWindow()); };

        // The whole capture, shrunk, in the window: all four quadrants in their places.
        QRect picture;
        QTRY_VERIFY_WITH_TIMEOUT((picture = pictureOnScreen(client())).width() > 600, 15000);
        QVERIFY(std::abs(picture.width() / double(picture.height()) - double(screen.width()) / screen.height()) < 0.02);
        const QImage shown = grabScreen();
        const QPoint q(picture.width() / 4, picture.height() / 4);
        QCOMPARE(shown.pixelColor(picture.topLeft() + q), quadrants[0]);
        QCOMPARE(shown.pixelColor(picture.topRight() + QPoint(-q.x(), q.y())), quadrants[1]);
        QCOMPARE(shown.pixelColor(picture.bottomLeft() + QPoint(q.x(), -q.y())), quadrants[2]);
        QCOMPARE(shown.pixelColor(picture.bottomRight() - q), quadrants[3]);

        // The default tool draws an arrow from 30 % to 60 % across and 30 % to 50 % down.
        const QPoint from = picture.topLeft() + QPoint(picture.width() * 3 / 10, picture.height() * 3 / 10);
        const QPoint to = picture.topLeft() + QPoint(picture.width() * 6 / 10, picture.height() * 5 / 10);
        const QPoint mid = (from + to) / 2;
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(from.x()), n(from.y()), "mousedown", "1", "mousemove", n(mid.x()), n(mid.y()),
                         "mousemove", n(to.x()), n(to.y()), "mouseup", "1"}));
        QTRY_VERIFY_WITH_TIMEOUT(near(grabScreen().pixelColor(mid), arrowRed), 15000);

        // Ctrl+C: the whole picture with the arrow, once in the history, as the program's own.
        QVERIFY(xdotool({"windowactivate", "--sync", window}));
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(clipboardRecords().size(), 1, 10000);
        const QJsonObject entry = clipboardRecords().at(0).toObject();
        QCOMPARE(entry.value("type").toString(), QStringLiteral("image"));
        QCOMPARE(entry.value("sourceAppBundleID").toString(), QStringLiteral("com.quorel.zentu"));
        QImage copied;
        QTRY_VERIFY_WITH_TIMEOUT((copied = QGuiApplication::clipboard()->image()).size() == screen.size(), 10000);
        QVERIFY(near(copied.pixelColor(int(0.45 * screen.width()), int(0.40 * screen.height())), arrowRed, 40));
        QVERIFY(near(copied.pixelColor(screen.width() / 8, screen.height() / 8), quadrants[0]));
        QVERIFY(!QTest::qWaitFor([&] { return clipboardRecords().size() > 1; }, 1500));

        // Ctrl+V: another program's picture comes in, not the text offered beside it.
        QProcess owner;
        owner.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"image", "64", "48", "text", "Bildunterschrift"});
        QVERIFY(owner.waitForStarted(5000));
        QVERIFY(QTest::qWaitFor([&] { return owner.canReadLine() || (owner.waitForReadyRead(50), owner.canReadLine()); }, 10000));
        QCOMPARE(owner.readLine().trimmed(), QByteArray("ready"));
        QVERIFY(xdotool({"windowactivate", "--sync", window}));
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+v"}));
        const auto pastedShown = [&] {
            const QImage now = grabScreen(client());
            for (int y = 0; y < now.height(); y += 2)
                for (int x = 0; x < now.width(); x += 2)
                    if (now.pixelColor(x, y) == QColor(20, 120, 220))
                        return true;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(pastedShown(), 15000);

        // Quitting with the editor open keeps both, beside the capture as it was taken.
        ::kill(pid_t(m_app.processId()), SIGTERM);
        QVERIFY(m_app.waitForFinished(10000));
        owner.closeWriteChannel(); // the owner ends when its input does
        owner.waitForFinished(5000);
        const QJsonArray annotations = records().at(0).toObject().value("annotations").toArray();
        QCOMPARE(annotations.size(), 2);
        QCOMPARE(annotations.at(0).toObject().value("kind").toString(), QStringLiteral("arrow"));
        const QJsonArray start = annotations.at(0).toObject().value("points").toArray().at(0).toArray();
        QVERIFY(std::abs(start.at(0).toDouble() - 0.3 * screen.width()) < 0.02 * screen.width());
        const QJsonObject pasted = annotations.at(1).toObject();
        QCOMPARE(pasted.value("kind").toString(), QStringLiteral("image"));
        const QJsonArray corner = pasted.value("points").toArray().at(0).toArray();
        QCOMPARE(QPointF(corner.at(0).toDouble(), corner.at(1).toDouble()),
                 QPointF(screen.width() / 2 - 32, screen.height() / 2 - 24));
        QCOMPARE(storedPicture(0), screen);
    }

    void liveTextSelectsWordsAcrossLinesAndCopiesThem()
    {
        QImage picture(900, 300, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter p(&picture);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(40);
        p.setFont(font);
        p.drawText(QPoint(40, 90), QStringLiteral("Größe der Fenster"));
        p.drawText(QPoint(40, 190), QStringLiteral("Übersicht ändern"));
        p.end();

        TesseractTextRecognizer recognizer;
        OCRService ocr(recognizer);
        auto environment = std::make_unique<FakeEditorEnvironment>();
        FakeEditorEnvironment& env = *environment;
        env.ocr = &ocr;
        EditorWindowController window(picture, std::nullopt, std::move(environment));
        EditorViewModel& vm = window.viewModel();
        EditorTextRecognition& recognition = window.session().recognition();
        CanvasContentView& content = window.rootView().canvas().contentView();
        auto* overlay = content.findChild<LiveTextOverlay*>();
        QVERIFY(overlay);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(!overlay->isVisible());

        recognition.setLiveTextEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(recognition.liveTextLines().size(), 2, 20000);
        QVERIFY(overlay->isVisible());
        const auto onScreen = [&](const RecognizedWord& word) {
            return content.mapToGlobal(content.viewPoint(QRectF(word.box).center()).toPoint());
        };
        const RecognizedWord from = recognition.liveTextLines()[0].words.value(1); // "der"
        const RecognizedWord to = recognition.liveTextLines()[1].words.value(0);   // "Übersicht"
        QCOMPARE(from.text, QStringLiteral("der"));
        QCOMPARE(to.text, QStringLiteral("Übersicht"));

        const QPoint a = onScreen(from), b = onScreen(to);
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(a.x()), n(a.y())}));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->cursor().shape(), Qt::IBeamCursor, 10000); // over a word
        QVERIFY(xdotool({"mousedown", "1", "mousemove", n((a.x() + b.x()) / 2), n((a.y() + b.y()) / 2), "mousemove",
                         n(b.x()), n(b.y()), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(overlay->selection().selectedText(), QStringLiteral("der Fenster\nÜbersicht"), 10000);
        QVERIFY(xdotool({"key", "--clearmodifiers", "ctrl+c"}));
        QTRY_COMPARE_WITH_TIMEOUT(env.copiedTexts, QStringList{QStringLiteral("der Fenster\nÜbersicht")}, 10000);
        QVERIFY(env.copiedImages.isEmpty()); // not the picture while Live Text is on
        QVERIFY(vm.state().annotations.isEmpty()); // the drag drew nothing

        // Off: the canvas has the pointer again.
        recognition.setLiveTextEnabled(false);
        QVERIFY(!overlay->isVisible());
        QVERIFY(xdotool({"mousemove", n(a.x()), n(a.y()), "mousedown", "1", "mousemove", n(a.x() + 40), n(a.y() + 20),
                         "mousemove", n(b.x()), n(b.y()), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(vm.state().annotations.size(), 1, 10000);
        window.close();
    }

    void aPinnedPictureStaysAboveAndNeverTakesTheFocus()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget normal;
        normal.setWindowTitle(QStringLiteral("normal"));
        normal.setStyleSheet(QStringLiteral("background: rgb(0, 160, 0);"));
        normal.setGeometry(available.center().x() - 400, available.center().y() - 300, 800, 600);
        normal.show();
        normal.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&normal));
        const auto normalId = xcb_window_t(normal.winId());
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), normalId, 10000);

        X11WindowDesktops desktops;
        PinnedImageWindowController pin(filledImage(400, 300, QColor(220, 0, 0), QImage::Format_ARGB32_Premultiplied), desktops, available);
        bool closed = false;
        QObject::connect(&pin, &PinnedImageWindowController::closed, [&] { closed = true; });
        pin.showPinned();
        const auto pinId = xcb_window_t(pin.winId());
        QTRY_VERIFY_WITH_TIMEOUT(m_x.viewable(pinId), 10000);
        const QPoint centre = available.center();
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre), QColor(220, 0, 0), 10000);
        QCOMPARE(activeWindow(), normalId); // showing it took no focus

        // Above, on every workspace.
        QVERIFY(states(pinId).contains(m_x.atom("_NET_WM_STATE_ABOVE")));
        QCOMPARE(m_x.property(pinId, m_x.atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL), QByteArray(4, char(0xFF)));

        // The normal window raised and activated over it stays below.
        normal.raise();
        normal.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), normalId, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre), QColor(220, 0, 0), 10000);

        // A click on it takes no focus either.
        m_x.click(centre + QPoint(0, 80));
        QTRY_VERIFY_WITH_TIMEOUT(pin.view().isHovering(), 10000);
        QCOMPARE(activeWindow(), normalId);

        // Dragged by its body it moves.
        const QPoint before = pin.geometry().topLeft();
        const QPoint grab = centre + QPoint(0, 80);
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(grab.x()), n(grab.y()), "mousedown", "1", "mousemove", n(grab.x() + 20),
                         n(grab.y() + 10), "mousemove", n(grab.x() + 60), n(grab.y() + 40), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(pin.geometry().topLeft(), before + QPoint(60, 40), 10000);
        QCOMPARE(activeWindow(), normalId);

        // Its hover bar's close button closes it. The toolkit knows the new
        // place before the server has moved the window: aim once both agree,
        // and press once the button has the pointer.
        QTRY_COMPARE_WITH_TIMEOUT(m_x.rootGeometry(pinId).topLeft(), pin.geometry().topLeft(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(childNamed<QWidget>(pin.view(), "controlBar")->isVisible(), 10000);
        QToolButton& close = *childNamed<QToolButton>(pin.view(), "closeButton");
        const QPoint closeAt = close.mapToGlobal(close.rect().center());
        m_x.moveTo(closeAt);
        QTRY_VERIFY_WITH_TIMEOUT(close.underMouse(), 10000);
        m_x.click(closeAt);
        QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_x.viewable(pinId), 10000);
    }

    void aFadedPinShowsWhatLiesBeneathWithAndWithoutACompositor()
    {
        // Beneath: a window of two halves, green left and blue right.
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget beneath;
        beneath.setStyleSheet(QStringLiteral("background: rgb(0, 160, 0);"));
        auto* right = new QWidget(&beneath);
        right->setStyleSheet(QStringLiteral("background: rgb(0, 0, 200);"));
        beneath.setGeometry(available.center().x() - 600, available.center().y() - 300, 1200, 600);
        right->setGeometry(600, 0, 600, 600);
        beneath.show();
        QVERIFY(QTest::qWaitForWindowExposed(&beneath));
        const QPoint centre = available.center();
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre - QPoint(100, 0)), QColor(0, 160, 0), 10000);

        auto compositor = std::make_shared<X11CompositingInfo>();
        QVERIFY(!compositor->isCompositing()); // openbox alone
        X11WindowDesktops desktops;
        PinnedImageWindowController pin(filledImage(400, 300, QColor(220, 0, 0), QImage::Format_ARGB32_Premultiplied),
                                        desktops, available, compositor, Backdrop::grabScreens);
        pin.model().setOpacity(0.3);
        pin.showPinned();
        // 30 % red over what lies beneath: green on the left half, blue on the right.
        const auto blend = [](QColor below) {
            return QColor(qRound(0.3 * 220 + 0.7 * below.red()), qRound(0.7 * below.green()), qRound(0.7 * below.blue()));
        };
        const auto near = [](QColor a, QColor b) {
            return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) <= 12;
        };
        const auto showsThrough = [&](QPoint at, QColor below) {
            return QTest::qWaitFor([&] { return near(screenPixel(at), blend(below)); }, 10000);
        };
        QVERIFY2(showsThrough(centre - QPoint(100, 0), QColor(0, 160, 0)), qPrintable(screenPixel(centre - QPoint(100, 0)).name()));
        QVERIFY(showsThrough(centre + QPoint(100, 0), QColor(0, 0, 200)));
        QVERIFY(!pin.isCompositing() && pin.hasStill());

        // Dragged 260 px to the right, its still comes along: blue beneath its
        // left half now, and the place it left shows green again.
        const QPoint grab = centre + QPoint(0, 80);
        const auto n = [](int v) { return QString::number(v); };
        QVERIFY(xdotool({"mousemove", n(grab.x()), n(grab.y()), "mousedown", "1", "mousemove", n(grab.x() + 60),
                         n(grab.y()), "mousemove", n(grab.x() + 260), n(grab.y()), "mouseup", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(pin.geometry().center(), centre + QPoint(260, 0), 10000);
        QVERIFY(showsThrough(centre + QPoint(170, 0), QColor(0, 0, 200)));
        QVERIFY(showsThrough(centre + QPoint(440, 0), QColor(0, 0, 200)));
        QTRY_COMPARE_WITH_TIMEOUT(screenPixel(centre - QPoint(100, 0)), QColor(0, 160, 0), 10000);

        // Moved any other way than by its own drag: a new still.
        pin.move(pin.pos() - QPoint(520, 0));
        QVERIFY(showsThrough(pin.geometry().center() - QPoint(100, 0), QColor(0, 160, 0)));

        if (QStandardPaths::findExecutable(QStringLiteral("xcompmgr")).isEmpty())
            QSKIP("xcompmgr is not installed (scripts/install-deps.sh)");
        // A compositor starts: really translucent, no still, no cut.
        QProcess xcompmgr;
        xcompmgr.start(QStringLiteral("xcompmgr"), {});
        QVERIFY(xcompmgr.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(compositor->isCompositing(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(pin.isCompositing() && pin.mask().isEmpty(), 10000);
        QVERIFY(showsThrough(pin.geometry().center() - QPoint(100, 0), QColor(0, 160, 0)));
        // It stops: a still again, taken with the pin out of the way.
        xcompmgr.terminate();
        QVERIFY(xcompmgr.waitForFinished(5000));
        QTRY_VERIFY_WITH_TIMEOUT(!pin.isCompositing() && pin.hasStill(), 10000);
        QVERIFY(showsThrough(pin.geometry().center() - QPoint(100, 0), QColor(0, 160, 0)));
        pin.close();
    }
};

ZENTU_TEST_MAIN(TestCaptureE2EX11)
#include "tst_capture_e2e_x11.moc"
