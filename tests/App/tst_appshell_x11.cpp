// The real program on a real X server with a tray host: the tray icon gets
// embedded, the log is restarted, the icon opens the panel, a second start
// hands over and leaves one instance, SIGTERM ends it cleanly.
#include "support/IsolatedEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

namespace {

struct X {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ~X() { xcb_disconnect(c); }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }
    xcb_atom_t atom(const char* name) const
    {
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    }
    QList<xcb_window_t> children(xcb_window_t w) const
    {
        QList<xcb_window_t> out;
        if (auto* r = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr)) {
            const xcb_window_t* kids = xcb_query_tree_children(r);
            for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
                out.append(kids[i]);
            std::free(r);
        }
        return out;
    }
    QList<xcb_window_t> descendants(xcb_window_t w) const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t k : children(w)) {
            out.append(k);
            out.append(descendants(k));
        }
        return out;
    }
    QByteArray property(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) const
    {
        QByteArray out;
        if (auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1024), nullptr)) {
            out = QByteArray(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
            std::free(r);
        }
        return out;
    }
    qint64 pid(xcb_window_t w) const
    {
        const QByteArray v = property(w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        return v.size() == 4 ? *reinterpret_cast<const quint32*>(v.constData()) : -1;
    }
    bool viewable(xcb_window_t w) const
    {
        auto* r = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
        const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(r);
        return v;
    }
    QRect rootGeometry(xcb_window_t w) const
    {
        QRect rect;
        auto* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
        auto* t = xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w, root(), 0, 0), nullptr);
        if (g && t)
            rect = QRect(t->dst_x, t->dst_y, g->width, g->height);
        std::free(g);
        std::free(t);
        return rect;
    }
    QList<xcb_window_t> tint2Windows() const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t w : descendants(root()))
            if (property(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).contains("tint2"))
                out.append(w);
        return out;
    }
    // Windows of the process that sit inside the tray host: embedded icons.
    QList<xcb_window_t> trayIcons(qint64 pid) const
    {
        QList<xcb_window_t> out;
        for (xcb_window_t host : tint2Windows())
            for (xcb_window_t w : descendants(host))
                if (this->pid(w) == pid && viewable(w))
                    out.append(w);
        return out;
    }
    // A real click through the X server (XTest), each request confirmed.
    void click(QPoint p) const
    {
        auto send = [this](uint8_t type, uint8_t detail, xcb_window_t window, QPoint at) {
            std::free(xcb_request_check(c, xcb_test_fake_input_checked(c, type, detail, XCB_CURRENT_TIME, window,
                                                                        int16_t(at.x()), int16_t(at.y()), 0)));
        };
        send(XCB_MOTION_NOTIFY, 0, root(), p);
        send(XCB_BUTTON_PRESS, 1, XCB_NONE, {});
        send(XCB_BUTTON_RELEASE, 1, XCB_NONE, {});
    }
};

QString zentuBinary()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../src/zentu"));
}

} // namespace

class TestAppShellX11 : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QProcessEnvironment m_env;

    QString dataHome() const { return m_root.path() + QStringLiteral("/data"); }

    void start(QProcess& p)
    {
        p.setProcessEnvironment(m_env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(zentuBinary(), {});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(zentuBinary()), qPrintable(zentuBinary()));
        for (const char* sub : {"data", "config", "home", "runtime", "cache"})
            QVERIFY(QDir().mkpath(m_root.path() + QLatin1Char('/') + QLatin1String(sub)));
        QFile::setPermissions(m_root.path() + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), m_root.path() + QStringLiteral("/home"));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
        m_env.insert(QStringLiteral("XDG_CACHE_HOME"), m_root.path() + QStringLiteral("/cache"));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.path() + QStringLiteral("/runtime"));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // The XEmbed tray of the test's tint2, not a desktop's D-Bus tray.
        m_env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        X x;
        QTRY_VERIFY_WITH_TIMEOUT(!x.tint2Windows().isEmpty(), 10000);
    }

    void startsIntoTheTrayAndHandsOverASecondStart()
    {
        // A log from an earlier run is replaced.
        QDir().mkpath(dataHome() + QStringLiteral("/Zentu.it"));
        QFile old(dataHome() + QStringLiteral("/Zentu.it/debug.log"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[01:02:03.004] alter Eintrag\n");
        old.close();

        QProcess app;
        start(app);
        QVERIFY(app.waitForStarted(5000));
        const qint64 pid = app.processId();
        X x;
        QTRY_COMPARE_WITH_TIMEOUT(x.trayIcons(pid).size(), 1, 15000);

        auto readLog = [this] {
            QFile log(dataHome() + QStringLiteral("/Zentu.it/debug.log"));
            return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(readLog().contains(QStringLiteral("App gestartet")), 5000);
        const QStringList lines = readLog().split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("=== Zentu Debug-Log ==="));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] App gestartet$"))
                     .match(lines.value(1)).hasMatch(),
                 qPrintable(lines.value(1)));
        QVERIFY(!readLog().contains(QStringLiteral("alter Eintrag")));

        // Both permissions hold on X11: 1.2 s after start the first run counts
        // as done and no first-run window opens.
        auto config = [this] {
            QFile f(m_root.path() + QStringLiteral("/config/com.quorel.zentu.conf"));
            return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(config().contains(QStringLiteral("zentu.onboarding.completed=true")), 5000);
        for (xcb_window_t w : x.descendants(x.root()))
            QVERIFY(!(x.pid(w) == pid && x.viewable(w)
                      && x.property(w, x.atom("_NET_WM_NAME"), x.atom("UTF8_STRING")).contains("einrichten")));

        // A click on the icon opens the panel, 340 px wide, next to the icon.
        const QRect icon = x.rootGeometry(x.trayIcons(pid).first());
        x.click(icon.center());
        auto panel = [&]() -> QRect {
            for (xcb_window_t w : x.children(x.root()))
                if (x.pid(w) == pid && x.viewable(w) && x.rootGeometry(w).width() == 340)
                    return x.rootGeometry(w);
            return {};
        };
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 5000);
        const QRect p = panel();
        // Right above (or below) the icon; the tray's panel strut may leave a small gap.
        const bool above = p.bottom() < icon.top() && icon.top() - p.bottom() <= 10;
        const bool below = p.top() > icon.bottom() && p.top() - icon.bottom() <= 10;
        QVERIFY2(above || below,
                 qPrintable(QStringLiteral("panel %1,%2 %3x%4 icon %5,%6")
                                .arg(p.x()).arg(p.y()).arg(p.width()).arg(p.height()).arg(icon.x()).arg(icon.y())));
        QVERIFY(p.left() <= icon.center().x() && icon.center().x() <= p.right());

        // A click elsewhere closes the panel.
        x.click(QPoint(600, 400));
        QTRY_VERIFY_WITH_TIMEOUT(!panel().isValid(), 5000);

        // A second start hands over (the running instance opens its panel) and
        // exits; one instance, one icon remain.
        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(app.state(), QProcess::Running);
        QTRY_VERIFY_WITH_TIMEOUT(panel().isValid(), 5000);
        QCOMPARE(x.trayIcons(pid).size(), 1);
        QVERIFY(x.trayIcons(second.processId()).isEmpty());
        // The second start left the running instance's log alone.
        QVERIFY(readLog().startsWith(QStringLiteral("=== Zentu Debug-Log ===\n")));
        QCOMPARE(readLog().count(QStringLiteral("App gestartet")), 1);

        // SIGTERM ends it through the normal quit path.
        ::kill(pid_t(pid), SIGTERM);
        QVERIFY(app.waitForFinished(10000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.trayIcons(pid).isEmpty(), 5000);

        // And the session is free for the next start.
        QProcess again;
        start(again);
        QVERIFY(again.waitForStarted(5000));
        QTRY_COMPARE_WITH_TIMEOUT(x.trayIcons(again.processId()).size(), 1, 15000);
        ::kill(pid_t(again.processId()), SIGTERM);
        QVERIFY(again.waitForFinished(10000));
        QCOMPARE(again.exitCode(), 0);
    }
};

ZENTU_TEST_MAIN(TestAppShellX11)
#include "tst_appshell_x11.moc"
