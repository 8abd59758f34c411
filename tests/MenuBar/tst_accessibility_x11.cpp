// The real program with accessibility switched on, on a private session bus:
// a screen reader's view over AT-SPI finds the panel's controls and the
// clipboard rows by name and works them through their actions. With the same
// tree's positions, a tooltip under the pointer neither outlives the panel nor
// shows up in a capture.
#include "PanelFixture.h"
#include "support/AtspiNodes.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/QuietStart.h"
#include "support/ScreenDriver.h"
#include "support/ScreenReader.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>

using Node = AtspiNode;
using namespace AtspiNodes;

namespace {
const QList<AtspiRole>& buttons = buttonRoles();
} // namespace

class TestAccessibilityX11 : public QObject {
    Q_OBJECT

    ScreenReader m_reader;
    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    QRect m_icon;

    QString base() const { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Zentu.it"); }
    QJsonArray readJson(const QString& name) const
    {
        QFile f(base() + QLatin1Char('/') + name);
        return f.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(f.readAll()).array() : QJsonArray();
    }
    bool isFavorite(const QString& text) const
    {
        for (const auto& e : readJson(QStringLiteral("clipboard.json")))
            if (e.toObject().value("text").toString() == text)
                return e.toObject().value("isFavorite").toBool();
        return false;
    }
    // The window of the program with this title (the panel has "Zentu.it").
    Node window(const QString& title) const { return AtspiNodes::window(m_app.processId(), title); }
    QRect panel() const
    {
        for (xcb_window_t w : m_x.children(m_x.root()))
            if (m_x.viewable(w) && m_x.pid(w) == m_app.processId() && m_x.rootGeometry(w).width() == 340)
                return m_x.rootGeometry(w);
        return {};
    }
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
    void openPanel()
    {
        QVERIFY(m_x.clickUntil([&] { return m_icon; }, [&] { return panel().isValid(); }));
    }
    // Full-screen hotkey; the stored capture.
    QImage captureScreen()
    {
        const int before = readJson(QStringLiteral("screenshots.json")).size();
        if (!pressHotkey("15"))
            return {};
        if (!QTest::qWaitFor([&] { return readJson(QStringLiteral("screenshots.json")).size() > before; }, 15000))
            return {};
        const QString png = base() + QStringLiteral("/Screenshots/")
                            + readJson(QStringLiteral("screenshots.json")).at(0).toObject().value("fileName").toString();
        QImage shot;
        (void)QTest::qWaitFor([&] { return !(shot = QImage(png)).isNull(); }, 10000);
        return shot.convertToFormat(QImage::Format_RGB32);
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

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(RealApp::binary()), qPrintable(RealApp::binary()));
        {
            PanelFixture f; // in this test's folders, which the program shares
            f.clipboardStore->addText(QStringLiteral("Zweiter Text"), std::nullopt);
            f.clipboardStore->addText(QStringLiteral("Erster Text"), std::nullopt);
        }
        QVERIFY(QProcess::execute("setxkbmap", {"-model", "pc105", "-layout", "us"}) == 0);
        QVERIFY(m_reader.attach(m_real));

        m_real.start(m_app);
        QVERIFY(m_app.waitForStarted(5000));
        m_icon = m_x.settledTrayIcon(m_app.processId());
        QVERIFY(m_icon.isValid());
    }

    void cleanupTestCase() { stopQuietly(m_app); }

    void controlsAreFoundAndPressedByName()
    {
        openPanel();
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
        openPanel();
        QVERIFY(tooltipOver(find(window(QStringLiteral("Zentu.it")), QStringLiteral("Erster Text"), buttons)).isValid());
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
        const QImage shot = captureScreen();
        QVERIFY(!shot.isNull());
        // Where the tooltip was, the capture shows the window beneath it.
        const QImage there = shot.copy(tip);
        const int same = there.width() * there.height() - differing(there, withTip);
        QVERIFY2(same < there.width() * there.height() / 4,
                 qPrintable(QStringLiteral("%1 of %2 pixels of the tooltip in the capture").arg(same).arg(there.width() * there.height())));
        QVERIFY(!tooltip().isValid());
    }
};

ZENTU_TEST_MAIN(TestAccessibilityX11)
#include "tst_accessibility_x11.moc"
