// The real program with tint2 as the tray at the bottom of the screen: the
// panel lies inside the screen's free area, its bottom edge at the tray, with
// an empty history, while entries arrive and after the first screenshot; a
// capture started from a hovered card holds nothing of the panel, and Delete
// over the new tile under the real pointer removes that screenshot. A panel
// closed by a capture or Escape opens again at the first click on the icon; a
// click on the icon closes an open one for good. Then the settings window
// opens from the panel's "Einstellungen", and a combination recorded in its
// Hotkeys tab works as a global hotkey at once. All along, accessibility is
// on over a private session bus: a screen reader's view over AT-SPI finds the
// panel's controls and the clipboard rows by name and works them through
// their actions; with the same tree's positions, a tooltip under the pointer
// is the app's own dark one (in the panel and in the clipboard window), and
// neither outlives the panel nor shows up in a capture.
#include "Models/AppSettings.h"
#include "support/AtspiNodes.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/PixelCount.h"
#include "support/QuietStart.h"
#include "support/RealApp.h"
#include "support/TestFiles.h"
#include "support/ScreenDriver.h"
#include "support/ScreenReader.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScreen>

using Node = AtspiNode;
using namespace AtspiNodes;

namespace {

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

class TestPanelOnScreenX11 : public QObject {
    Q_OBJECT

    ScreenReader m_reader;
    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    QRect m_available;
    QRect m_icon;
    std::unique_ptr<HelperWindow> m_backdrop;
    QRect m_settings;

    QString base() const { return m_real.dataFolder(); }
    // The panel: the program's 340 px wide window on screen.
    QRect panel() const { return m_x.topLevelOfWidth(m_app.processId(), 340); }
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

    // The program's window of this title on screen, or none.
    xcb_window_t windowNamed(const QByteArray& title) const { return m_x.windowTitled(m_app.processId(), title); }
    xcb_window_t settingsWindow() const { return windowNamed("Zentu.it Einstellungen"); }
    // The screen reader's node of the program's window with this title.
    Node window(const QString& title) const { return AtspiNodes::window(m_app.processId(), title); }
    QRect tooltip() const
    {
        const xcb_atom_t type = m_x.atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
        for (xcb_window_t w : m_x.children(m_x.root())) {
            if (!m_x.viewable(w) || m_x.pid(w) != m_app.processId())
                continue;
            const QByteArray types = m_x.property(w, m_x.atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM);
            const auto* atoms = reinterpret_cast<const xcb_atom_t*>(types.constData());
            if (std::find(atoms, atoms + types.size() / 4, type) != atoms + types.size() / 4
                && m_x.property(w, m_x.atom("_NET_WM_NAME"), m_x.atom("UTF8_STRING")) != "Zentu.it Toast")
                return m_x.rootGeometry(w);
        }
        return {};
    }
    // Whether a tooltip on screen is the app's own dark one (as in the
    // editor), not the platform's pale one.
    bool isAppsOwnTip(const QRect& tip) const
    {
        QImage shot;
        return QTest::qWaitFor([&] {
            shot = grabScreen(tip);
            return countPixels(shot, {}, [](QColor c) { return c.lightness() < 60; }) > shot.width() * shot.height() / 4;
        }, 5000) && countPixels(shot, {}, [](QColor c) {
            return qAbs(c.red() - 255) + qAbs(c.green() - 255) + qAbs(c.blue() - 220) < 12;
        }) < shot.width() * shot.height() / 20;
    }
    // Rests the pointer on the node until its tooltip shows; the tooltip's place.
    QRect tooltipOver(const Node& node)
    {
        const QPoint centre = extents(node).center();
        xdotool({"mousemove", QString::number(centre.x()), QString::number(centre.y())});
        QRect tip;
        (void)QTest::qWaitFor([&] { return (tip = tooltip()).isValid(); }, 10000);
        return tip;
    }
    // Another program's copy of this text, once the history has it.
    bool copied(const QString& text)
    {
        QProcess owner;
        owner.start(QStringLiteral(ZENTU_CLIPBOARD_OWNER), {"text", text});
        const bool recorded = owner.waitForStarted() && QTest::qWaitFor([&] {
            const QJsonArray records = m_real.historyRecords(QStringLiteral("clipboard.json"));
            return !records.isEmpty() && records.at(0).toObject().value("text").toString() == text;
        }, 15000);
        owner.closeWriteChannel();
        owner.waitForFinished(5000);
        return recorded;
    }
    bool isFavorite(const QString& text) const
    {
        for (const auto& e : m_real.historyRecords(QStringLiteral("clipboard.json")))
            if (e.toObject().value("text").toString() == text)
                return e.toObject().value("isFavorite").toBool();
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        QVERIFY(m_real.useFreshFolders());
        QVERIFY(m_reader.attach(m_real));
        QVERIFY(startQuietly(m_real, m_app, [](AppSettings& s) { s.openEditorAfterCapture = true; }));
        m_icon = m_x.settledTrayIcon(m_app.processId());
        QVERIFY(m_icon.isValid());
        m_available = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(m_icon.top() > m_available.center().y(), "tint2 is expected at the bottom");
        // A known picture behind the panel, up to the tray.
        m_backdrop = std::make_unique<HelperWindow>(QRect(m_available.topLeft(), QSize(m_available.width(), m_icon.top() - 4)), 91);
        QVERIFY(m_backdrop->id);
        const QPoint probe(m_available.left() + 300, m_available.top() + 200);
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(probe, QSize(1, 1))).pixel(0, 0) == backdropAt(probe), 15000);
    }

    void cleanupTestCase() { stopQuietly(m_app); }

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
        const QImage still = grabScreen(cardArea);
        QVERIFY(xdotool({"mousemove", QString::number(card.x()), QString::number(card.y())}));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(cardArea) != still, 10000); // lit and showing its hotkey
        QVERIFY(xdotool({"click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 1, 15000);
        const QString png = base() + QStringLiteral("/Screenshots/") + m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject().value("fileName").toString();
        QImage shot;
        QTRY_VERIFY_WITH_TIMEOUT(!(shot = QImage(png)).isNull(), 10000);
        // Where the panel was, the capture shows what lies beneath it.
        int wrong = 0;
        for (int y = before.top(); y <= before.bottom(); y += 3)
            for (int x = before.left(); x <= before.right(); x += 3)
                wrong += (shot.pixel(x, y) & 0xffffff) != (backdropAt(QPoint(x, y)) & 0xffffff);
        QVERIFY2(wrong == 0, qPrintable(QStringLiteral("%1 pixels of the panel in the capture").arg(wrong)));

        // The editor opens on the capture. Once it is there, the panel opens
        // again at the first click (closed by the capture, not by a click),
        // now with the screenshot strip, and still inside; a window that is
        // still opening would come up over it.
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(windowNamed("Zentu.it Editor") != XCB_NONE, 15000);
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().height() >= before.height() + 80, 15000);
        checkPlaced(panel(), "after the first screenshot");

        // The new tile shows the backdrop (told by its blue of 91). Under the
        // real pointer it lights up, and Delete removes the screenshot.
        const QRect open = panel();
        const QImage strip = grabScreen(open);
        const PixelMatches inTile = matchingPixels(strip, {}, [](QColor c) {
            return qAbs(c.blue() - 91) <= 2 && c.red() != c.blue();
        });
        QVERIFY2(inTile.count > 2000, qPrintable(QString::number(inTile.count)));
        const QPoint tile = open.topLeft() + inTile.centre;
        const QRect tileArea(tile - QPoint(60, 45), QSize(120, 90));
        const QImage resting = grabScreen(tileArea);
        QVERIFY(xdotool({"mousemove", QString::number(tile.x()), QString::number(tile.y())}));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(tileArea) != resting, 10000);
        QVERIFY(xdotool({"key", "Delete"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), 0, 15000);
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
    }

    void settingsOpenFromThePanel()
    {
        // Closed with Escape just before, the panel opens at the first click
        // on the icon; a click on the icon closes it again, and that click
        // does not open it anew.
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 15000);
        QVERIFY(!QTest::qWaitFor([&] { return panel().isValid(); }, 1500));
        m_x.click(m_icon.center());
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 15000);
        // Placed again whenever its content changes size: click once it holds still.
        QRect p, last;
        int same = 0;
        QVERIFY(QTest::qWaitFor([&] {
            p = panel();
            same = p.isValid() && p == last ? same + 1 : 0;
            last = p;
            return same >= 10; // about a tenth of a second
        }, 15000));
        m_x.click(QPoint(p.left() + 40, p.bottom() - 14)); // "Einstellungen", left in the footer
        QTRY_VERIFY_WITH_TIMEOUT(settingsWindow() != XCB_NONE, 15000);
        m_settings = m_x.rootGeometry(settingsWindow());
        QCOMPARE(m_settings.size(), QSize(640, 850)); // the places clicked below depend on it
    }

    void recordedHotkeyWorksAtOnce()
    {
        QVERIFY(m_settings.isValid());
        // After the opening picture the tab bar shows the white selection pill
        // at its first tab.
        const QPoint pillEdge = m_settings.topLeft() + QPoint(24, 32);
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(pillEdge, QSize(1, 1))).pixelColor(0, 0) == QColor(Qt::white), 15000);

        // "Hotkeys", the middle tab.
        m_x.click(m_settings.topLeft() + QPoint(320, 32));
        // Four recorders, one text line each, right of the labels.
        const int left = 440, right = 555;
        QList<int> lines;
        const bool found = QTest::qWaitFor(
            [&] { return (lines = textLines(grabScreen(m_settings), left, right, 70, 400)).size() >= 4; }, 15000);
        QVERIFY(found);
        const QPoint fullScreen = m_settings.topLeft() + QPoint((left + right) / 2, lines.at(1));
        const QImage before = grabScreen(QRect(fullScreen - QPoint(70, 8), QSize(140, 16)));

        // While recording the field holds the keyboard: its own combination,
        // Super+Shift+6, is recorded (and registered again), not captured.
        const QString registered6 = QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=22 mods=768");
        QCOMPARE(m_real.debugLog().count(registered6), 1);
        m_x.click(fullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(fullScreen - QPoint(70, 8), QSize(140, 16))) != before, 15000);
        QVERIFY(pressHotkey("15"));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.debugLog().count(registered6), 2, 15000);
        QVERIFY(!m_real.debugLog().contains(QStringLiteral("Hotkey-Event empfangen")));

        // With the pointer back where it was, the field looks as it did before
        // (it repaints after the registration, not always at once). Clicked
        // again, the prompt replaces the combination; then Super+Shift+9.
        const QPoint tabs = m_settings.topLeft() + QPoint(320, 32);
        QVERIFY(xdotool({"mousemove", QString::number(tabs.x()), QString::number(tabs.y())}));
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(fullScreen - QPoint(70, 8), QSize(140, 16))) == before, 15000);
        m_x.click(fullScreen);
        QTRY_VERIFY_WITH_TIMEOUT(grabScreen(QRect(fullScreen - QPoint(70, 8), QSize(140, 16))) != before, 15000);
        QVERIFY(pressHotkey("18"));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_real.debugLog().contains(QStringLiteral("Hotkey registriert action=captureFullScreen keyCode=25 mods=768")),
            15000);
        QVERIFY(fileContents(m_real.settingsFile()).contains("captureFullScreen"));

        // Pressed again, now globally: a full-screen capture is stored.
        const qsizetype stored = m_real.historyRecords(QStringLiteral("screenshots.json")).size();
        QVERIFY(pressHotkey("18"));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), stored + 1, 15000);
        const QJsonObject record = m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject();
        QCOMPARE(record.value("captureKind").toString(), QStringLiteral("fullScreen"));
        QImage picture;
        QTRY_VERIFY_WITH_TIMEOUT(
            !(picture = QImage(base() + QStringLiteral("/Screenshots/") + record.value("fileName").toString())).isNull(),
            15000);
        QCOMPARE(picture.size(), QGuiApplication::primaryScreen()->geometry().size());
    }

    void controlsAreFoundAndPressedByName()
    {
        QVERIFY(copied(QStringLiteral("Zweiter Text")) && copied(QStringLiteral("Erster Text")));
        const QList<AtspiRole>& buttons = buttonRoles();
        QVERIFY(m_x.clickUntil([&] { return m_icon; }, [&] { return panel().isValid(); }));
        Node panelWindow;
        QTRY_VERIFY_WITH_TIMEOUT(bool(panelWindow = window(QStringLiteral("Zentu.it"))), 20000);
        for (const char* name : {"Bildschirm", "Scroll", "Alle", "Einstellungen", "Beenden"})
            QVERIFY2(find(panelWindow, QString::fromUtf8(name), buttons), name);
        QVERIFY(find(panelWindow, QStringLiteral("Suchen"), {ATSPI_ROLE_TEXT, ATSPI_ROLE_ENTRY}));
        QVERIFY(find(panelWindow, QStringLiteral("Bild"), {ATSPI_ROLE_RADIO_BUTTON}));

        // A row copies its entry back.
        QVERIFY(press(find(panelWindow, QStringLiteral("Zweiter Text"), buttons)));
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("Zweiter Text"), 10000);

        // The star of another row marks that entry, without copying it.
        QVERIFY(press(find(find(panelWindow, QStringLiteral("Erster Text"), buttons), QStringLiteral("Favorit"), buttons)));
        QTRY_VERIFY_WITH_TIMEOUT(isFavorite(QStringLiteral("Erster Text")), 10000);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Zweiter Text"));
    }

    void aTooltipNeitherOutlivesThePanelNorShowsInACapture()
    {
        // On the panel: it goes with the panel (Escape), not seconds later.
        const QList<AtspiRole>& buttons = buttonRoles();
        QVERIFY(m_x.clickUntil([&] { return m_icon; }, [&] { return panel().isValid(); }));
        const QRect onPanel = tooltipOver(find(window(QStringLiteral("Zentu.it")), QStringLiteral("Erster Text"), buttons));
        QVERIFY(onPanel.isValid());
        QVERIFY(isAppsOwnTip(onPanel));
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!tooltip().isValid(), 1500);

        // On the clipboard window, which stays open: hidden before the screen is read.
        QVERIFY(pressHotkey("55"));
        Node history;
        QTRY_VERIFY_WITH_TIMEOUT(bool(history = window(QStringLiteral("Zwischenablage-Verlauf"))), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(extents(find(history, QStringLiteral("Zweiter Text"), buttons)).isValid(), 10000);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QImage before = grabScreen();
        const QRect tip = tooltipOver(find(history, QStringLiteral("Zweiter Text"), buttons));
        QVERIFY(tip.isValid());
        QVERIFY(isAppsOwnTip(tip));
        // Mapped is not yet painted: wait until the tooltip is on the screen.
        auto differing = [](const QImage& a, const QImage& b) {
            int n = 0;
            for (int y = 0; y < qMin(a.height(), b.height()); ++y)
                for (int x = 0; x < qMin(a.width(), b.width()); ++x)
                    n += a.pixel(x, y) != b.pixel(x, y);
            return n;
        };
        QImage withTip;
        QVERIFY(QTest::qWaitFor([&] {
            withTip = grabScreen(tip);
            return differing(withTip, before.copy(tip.translated(-screen.topLeft()))) > tip.width() * tip.height() / 2;
        }, 10000));
        // The full-screen hotkey as recorded above (Super+Shift+9).
        const qsizetype stored = m_real.historyRecords(QStringLiteral("screenshots.json")).size();
        QVERIFY(pressHotkey("18"));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.historyRecords(QStringLiteral("screenshots.json")).size(), stored + 1, 15000);
        QImage shot;
        const QString png = base() + QStringLiteral("/Screenshots/")
                            + m_real.historyRecords(QStringLiteral("screenshots.json")).at(0).toObject().value("fileName").toString();
        QTRY_VERIFY_WITH_TIMEOUT(!(shot = QImage(png)).isNull(), 10000);
        shot = shot.convertToFormat(QImage::Format_RGB32);
        // Where the tooltip was, the capture shows the window beneath it: of
        // the dark bubble (its window is cut to it), hardly a pixel is there.
        const QImage there = shot.copy(tip);
        const QImage beneath = before.copy(tip.translated(-screen.topLeft()));
        const auto dark = [](QRgb c) { return QColor(c).lightness() < 80; };
        int drawn = 0, kept = 0;
        for (int y = 0; y < qMin(there.height(), withTip.height()); ++y)
            for (int x = 0; x < qMin(there.width(), withTip.width()); ++x)
                if (dark(withTip.pixel(x, y)) && !dark(beneath.pixel(x, y))) {
                    ++drawn;
                    kept += dark(there.pixel(x, y));
                }
        QVERIFY2(drawn > 0 && kept < drawn / 10,
                 qPrintable(QStringLiteral("%1 of %2 pixels of the tooltip in the capture").arg(kept).arg(drawn)));
        QVERIFY(!tooltip().isValid());
    }
};

ZENTU_TEST_MAIN(TestPanelOnScreenX11)
#include "tst_panelonscreen_x11.moc"
