// The real program with accessibility switched on, on a private session bus:
// a screen reader's view over AT-SPI finds the panel's controls and the
// clipboard rows by name and works them through their actions. With the same
// tree's positions, a tooltip under the pointer neither outlives the panel nor
// shows up in a capture.
#include "PanelFixture.h"
#include "support/HelperWindow.h"
#include "support/IsolatedEnvironment.h"
#include "support/RealApp.h"
#include "support/X11Probe.h"

#include <QClipboard>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <atspi/atspi.h>
#include <csignal>
#include <vector>

namespace {

bool xdotool(const QStringList& args) { return QProcess::execute(QStringLiteral("xdotool"), args) == 0; }

QImage grab(QRect r)
{
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// One reference to an AT-SPI object.
class Node {
public:
    explicit Node(AtspiAccessible* a = nullptr) : m_a(a) {}
    Node(Node&& o) noexcept : m_a(std::exchange(o.m_a, nullptr)) {}
    Node& operator=(Node&& o) noexcept
    {
        std::swap(m_a, o.m_a);
        return *this;
    }
    ~Node()
    {
        if (m_a)
            g_object_unref(m_a);
    }
    explicit operator bool() const { return m_a; }
    AtspiAccessible* get() const { return m_a; }

    QString name() const
    {
        gchar* n = atspi_accessible_get_name(m_a, nullptr);
        const QString out = QString::fromUtf8(n);
        g_free(n);
        return out;
    }
    AtspiRole role() const { return atspi_accessible_get_role(m_a, nullptr); }
    int childCount() const { return atspi_accessible_get_child_count(m_a, nullptr); }
    Node child(int i) const { return Node(atspi_accessible_get_child_at_index(m_a, i, nullptr)); }

    // The first node below (breadth first) with this name and one of the roles.
    Node find(const QString& wanted, const QList<AtspiRole>& roles) const
    {
        std::vector<Node> level;
        for (int i = 0; i < childCount(); ++i)
            level.push_back(child(i));
        for (int depth = 0; depth < 30 && !level.empty(); ++depth) {
            std::vector<Node> next;
            for (Node& n : level) {
                if (!n)
                    continue;
                if (roles.contains(n.role()) && n.name() == wanted)
                    return std::move(n);
                for (int i = 0; i < n.childCount(); ++i)
                    next.push_back(n.child(i));
            }
            level = std::move(next);
        }
        return Node();
    }

    bool press() const
    {
        AtspiAction* action = atspi_accessible_get_action_iface(m_a);
        if (!action)
            return false;
        bool done = false;
        const int n = atspi_action_get_n_actions(action, nullptr);
        for (int i = 0; i < n && !done; ++i) {
            gchar* name = atspi_action_get_action_name(action, i, nullptr);
            if (QString::fromUtf8(name).compare(QLatin1String("press"), Qt::CaseInsensitive) == 0
                || QString::fromUtf8(name).compare(QLatin1String("toggle"), Qt::CaseInsensitive) == 0)
                done = atspi_action_do_action(action, i, nullptr);
            g_free(name);
        }
        g_object_unref(action);
        return done;
    }

    QRect extents() const
    {
        AtspiComponent* c = atspi_accessible_get_component_iface(m_a);
        if (!c)
            return {};
        AtspiRect* r = atspi_component_get_extents(c, ATSPI_COORD_TYPE_SCREEN, nullptr);
        g_object_unref(c);
        if (!r)
            return {};
        const QRect out(r->x, r->y, r->width, r->height);
        g_free(r);
        return out;
    }

private:
    AtspiAccessible* m_a;
};

const QList<AtspiRole> buttons{ATSPI_ROLE_PUSH_BUTTON, ATSPI_ROLE_TOGGLE_BUTTON, ATSPI_ROLE_RADIO_BUTTON};

} // namespace

class TestAccessibilityX11 : public QObject {
    Q_OBJECT

    QProcess m_bus;
    RealApp m_real;
    QProcess m_app;
    X11Probe m_x;
    QRect m_icon;
    std::unique_ptr<HelperWindow> m_backdrop;

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
    Node application() const
    {
        Node desktop(atspi_get_desktop(0));
        for (int i = 0; desktop && i < desktop.childCount(); ++i) {
            Node app = desktop.child(i);
            if (app && atspi_accessible_get_process_id(app.get(), nullptr) == guint(m_app.processId()))
                return app;
        }
        return Node();
    }
    // The window of the program with this title (the panel has "Zentu.it").
    Node window(const QString& title) const
    {
        Node app = application();
        for (int i = 0; app && i < app.childCount(); ++i) {
            Node w = app.child(i);
            if (w && w.name() == title)
                return w;
        }
        return Node();
    }
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
        // A click right after the panel closed is taken for the closing one.
        for (int attempt = 0; attempt < 10 && !panel().isValid(); ++attempt) {
            m_x.click(m_icon.center());
            (void)QTest::qWaitFor([&] { return panel().isValid(); }, 1500);
        }
        QVERIFY(panel().isValid());
    }
    // Full-screen hotkey; the stored capture.
    QImage captureScreen()
    {
        const int before = readJson(QStringLiteral("screenshots.json")).size();
        if (!xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "15", "keyup", "15", "keyup", "Shift_L",
                      "keyup", "Super_L"}))
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
        const QPoint centre = node.extents().center();
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
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        QVERIFY(m_bus.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(m_bus.canReadLine(), 10000);
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        m_real.setEnvironmentVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address));
        m_real.setEnvironmentVariable(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        QCOMPARE(atspi_init(), 0);

        m_real.start(m_app);
        QVERIFY(m_app.waitForStarted(5000));
        QTRY_COMPARE_WITH_TIMEOUT(m_x.trayIcons(m_app.processId()).size(), 1, 15000);
        m_icon = m_x.rootGeometry(m_x.trayIcons(m_app.processId()).first());
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        m_backdrop = std::make_unique<HelperWindow>(QRect(available.topLeft(), QSize(available.width(), m_icon.top() - 4)), 57);
        QVERIFY(m_backdrop->id);
    }

    void cleanupTestCase()
    {
        if (m_app.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(10000);
        }
        m_backdrop.reset();
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void controlsAreFoundAndPressedByName()
    {
        openPanel();
        Node panelWindow;
        QTRY_VERIFY_WITH_TIMEOUT(bool(panelWindow = window(QStringLiteral("Zentu.it"))), 20000);
        for (const char* name : {"Bildschirm", "Scroll", "Alle", "Einstellungen", "Beenden"})
            QVERIFY2(panelWindow.find(QString::fromUtf8(name), buttons), name);
        QVERIFY(panelWindow.find(QStringLiteral("Suchen"), {ATSPI_ROLE_TEXT, ATSPI_ROLE_ENTRY}));
        QVERIFY(panelWindow.find(QStringLiteral("Bild"), {ATSPI_ROLE_RADIO_BUTTON}));

        // A row copies its entry back.
        const Node second = panelWindow.find(QStringLiteral("Zweiter Text"), buttons);
        QVERIFY(second.press());
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), QStringLiteral("Zweiter Text"), 10000);

        // Its star marks another entry as a favourite, without copying it.
        const Node first = panelWindow.find(QStringLiteral("Erster Text"), buttons);
        QVERIFY(first);
        const Node star = first.find(QStringLiteral("Favorit"), buttons);
        QVERIFY(star.press());
        QTRY_VERIFY_WITH_TIMEOUT(isFavorite(QStringLiteral("Erster Text")), 10000);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Zweiter Text"));
    }

    void aTooltipNeitherOutlivesThePanelNorShowsInACapture()
    {
        // On the panel: it goes with the panel (Escape), not seconds later.
        openPanel();
        const Node row = window(QStringLiteral("Zentu.it")).find(QStringLiteral("Erster Text"), buttons);
        QVERIFY(row);
        QVERIFY(tooltipOver(row).isValid());
        QVERIFY(xdotool({"key", "Escape"}));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!tooltip().isValid(), 1500);

        // On the clipboard window, which stays open: hidden before the screen is read.
        QVERIFY(xdotool({"keydown", "Super_L", "keydown", "Shift_L", "keydown", "55", "keyup", "55", "keyup", "Shift_L",
                         "keyup", "Super_L"}));
        Node history;
        QTRY_VERIFY_WITH_TIMEOUT(bool(history = window(QStringLiteral("Zwischenablage-Verlauf"))), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(history.find(QStringLiteral("Zweiter Text"), buttons).extents().isValid(), 10000);
        const QRect tip = tooltipOver(history.find(QStringLiteral("Zweiter Text"), buttons));
        QVERIFY(tip.isValid());
        const QImage withTip = grab(tip);
        const QImage shot = captureScreen();
        QVERIFY(!shot.isNull());
        // Where the tooltip was, the capture shows the window beneath it.
        const QImage there = shot.copy(tip);
        int same = 0;
        for (int y = 0; y < there.height(); ++y)
            for (int x = 0; x < there.width(); ++x)
                same += there.pixel(x, y) == withTip.pixel(x, y);
        QVERIFY2(same < there.width() * there.height() / 4,
                 qPrintable(QStringLiteral("%1 of %2 pixels of the tooltip in the capture").arg(same).arg(there.width() * there.height())));
        QVERIFY(!tooltip().isValid());
    }

    void quitIsPressedByName()
    {
        openPanel();
        Node quit;
        QTRY_VERIFY_WITH_TIMEOUT(bool(quit = window(QStringLiteral("Zentu.it")).find(QStringLiteral("Beenden"), buttons)), 15000);
        QVERIFY(quit.press());
        QVERIFY(m_app.waitForFinished(10000));
        QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_app.exitCode(), 0);
    }
};

ZENTU_TEST_MAIN(TestAccessibilityX11)
#include "tst_accessibility_x11.moc"
